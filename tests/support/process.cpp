#include "process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& env, const std::string& directory) {
    static int counter = 0;
    errorFile = testing::TempDir() + "child-stderr-" + std::to_string(getpid()) + "-" +
                std::to_string(counter++);
    pid = fork();
    if (pid != 0)
        return;

    for (const std::string& e : env) {
        const std::string name = e.substr(0, e.find('='));
        const std::string value = e.substr(e.find('=') + 1);
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err, 2);
    const int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, 0);
    dup2(nothing, 1);
    if (chdir(directory.c_str()) != 0)
        _exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execve(program.c_str(), argv.data(), environ);
    _exit(127);
}

ChildProcess::~ChildProcess() {
    if (pid > 0 && !reaped) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool ChildProcess::waitFor(int ms, int* status) {
    for (int waited = 0; !reaped; waited += 10) {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid) {
            reaped = true;
            exitStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            break;
        }
        if (waited >= ms)
            return false;
        usleep(10000);
    }
    if (status)
        *status = exitStatus;
    return true;
}

bool ChildProcess::running() { return !waitFor(0, nullptr); }

void ChildProcess::signal(int sig) {
    if (!reaped)
        kill(pid, sig);
}

std::string ChildProcess::errorOutput() const {
    std::ifstream in(errorFile);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
