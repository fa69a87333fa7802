// The benchmark's own process: where it lives, how much memory it has held, and the fresh
// copies of itself it runs.
#pragma once

#include <string>
#include <sys/types.h>

std::string selfPath();
std::string shellQuoted(const std::string& word);

// Runs `command` through the shell; true when it exits with status 0. Its stdout is returned
// in `output`.
bool runCommand(const std::string& command, std::string* output);

// The most resident memory the process has held, in KiB.
long peakMemoryKb();

// CPU time, user and system, of a process in clock ticks; -1 once it is gone.
long cpuTicks(pid_t pid);
