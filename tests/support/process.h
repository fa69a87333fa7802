// Child processes for tests that run the program itself.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
  public:
    // Starts `program` with `args`, the test's environment plus `env` ("NAME=value"; "NAME="
    // with nothing after it removes NAME), in `directory`, its stderr going to a file.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& env = {}, const std::string& directory = ".");
    ~ChildProcess();

    // True and the exit status when the child ended within `ms`; -1 status for a signal.
    bool waitFor(int ms, int* status);
    bool running();
    void signal(int sig);
    std::string errorOutput() const;

  private:
    pid_t pid = -1;
    bool reaped = false;
    int exitStatus = -1;
    std::string errorFile;
};
