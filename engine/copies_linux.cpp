// One copy of the scene on every further monitor: each copy is this program again, started with
// its monitor in the environment, and lives no longer than the first process.
#include "monitors_x11.h"
#include "platform.h"
#include "scene.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The variable that marks a copy, and those that put SDL's full-screen window on a display:
// sdl12-compat reads the first, the classic SDL 1.2 the second (a Xinerama head).
const char* const copyVariables[] = {"BASILRAIN_MONITOR", "SDL_VIDEO_FULLSCREEN_DISPLAY",
                                     "SDL_VIDEO_FULLSCREEN_HEAD"};

// Written before the signal handler may read it, and never resized after.
std::vector<pid_t> copies;

// A copy that ended with status 0 did so at the viewer's request, which ends every copy: this
// process takes it as SDL takes SIGTERM, as a quit request. A copy that failed leaves its
// monitor alone and the rest play on.
extern "C" void onCopyEnded(int) {
    const int savedErrno = errno;
    for (pid_t& copy : copies) {
        int status = 0;
        if (copy > 0 && waitpid(copy, &status, WNOHANG) == copy) {
            copy = 0;
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                kill(getpid(), SIGTERM);
        }
    }
    errno = savedErrno;
}

// This process's environment with the monitor `index` in place of any the user had set.
std::vector<std::string> environmentFor(int index) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        bool ours = false;
        for (const char* name : copyVariables)
            ours |= std::strncmp(*entry, name, std::strlen(name)) == 0 &&
                    (*entry)[std::strlen(name)] == '=';
        if (!ours)
            variables.emplace_back(*entry);
    }
    for (const char* name : copyVariables)
        variables.push_back(std::string(name) + "=" + std::to_string(index));
    return variables;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Everything the child needs is made before the fork: SDL's renderer may have started threads,
// and after a fork only async-signal-safe calls are sound until the exec.
pid_t startCopy(const char* program, int index, char* argv[]) {
    std::vector<std::string> variables = environmentFor(index);
    const std::vector<char*> envp = pointersTo(variables);
    const pid_t first = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // SIGTERM is a quit request to SDL, so a copy whose first process dies ends as on Escape.
        if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != first)
            _exit(0);
        execve(program, argv, envp.data());
        _exit(127);
    }
    return pid;
}

bool ended(pid_t copy) {
    int status = 0;
    return copy <= 0 || waitpid(copy, &status, WNOHANG) != 0;
}

// The first process's copies are asked to end as it ends, and taken down after a second.
void endCopies() {
    std::signal(SIGCHLD, SIG_DFL);
    for (pid_t copy : copies)
        if (copy > 0)
            kill(copy, SIGTERM);
    const timespec pause = {0, 10 * 1000 * 1000};
    for (int waited = 0; waited < 100; ++waited) {
        bool all = true;
        for (pid_t& copy : copies)
            if (ended(copy))
                copy = 0;
            else
                all = false;
        if (all)
            return;
        nanosleep(&pause, nullptr);
    }
    for (pid_t copy : copies)
        if (copy > 0) {
            kill(copy, SIGKILL);
            waitpid(copy, nullptr, 0);
        }
}

// Monitors are counted on X only; SDL elsewhere (a Wayland compositor, no screen at all) plays on
// one. The classic SDL 1.2 holds the pointer grabbed while full-screen, and a second full-screen
// copy would wait for the grab for good, a black window over its monitor; sdl12-compat, numbered
// from 1.2.50, grabs nothing.
bool copiesCanPlay() {
    char driver[16] = "";
    const SDL_version* runtime = SDL_Linked_Version();
    return !isSet(copyVariables[0]) && SDL_VideoDriverName(driver, sizeof driver) &&
           std::strcmp(driver, "x11") == 0 &&
           SDL_VERSIONNUM(runtime->major, runtime->minor, runtime->patch) >=
               SDL_VERSIONNUM(1, 2, 50);
}

} // namespace

void playOnEveryMonitor(char* argv[]) {
    if (!copiesCanPlay())
        return;
    const int monitors = monitorCount();
    if (monitors < 2)
        return;

    // Started under their own file's name, so that they show as this program in a process list.
    char program[4096] = "";
    if (readlink("/proc/self/exe", program, sizeof program - 1) <= 0)
        return;
    copies.assign(static_cast<size_t>(monitors - 1), 0);
    sigset_t childSignal, before;
    sigemptyset(&childSignal);
    sigaddset(&childSignal, SIGCHLD);
    sigprocmask(SIG_BLOCK, &childSignal, &before);
    struct sigaction action = {};
    action.sa_handler = onCopyEnded;
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCHLD, &action, nullptr);
    for (int index = 1; index < monitors; ++index) {
        copies[static_cast<size_t>(index - 1)] = startCopy(program, index, argv);
        if (copies[static_cast<size_t>(index - 1)] < 0)
            std::fprintf(stderr, "basilrain: cannot start the scene on monitor %d: %s\n", index + 1,
                         std::strerror(errno));
    }
    std::atexit(endCopies);
    sigprocmask(SIG_SETMASK, &before, nullptr);
}
