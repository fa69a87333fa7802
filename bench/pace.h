// The pace the scene settles at on a real X server: the CPU the program and the server spend,
// and the frames a second, for each SDL runtime the launcher can be asked for.
#pragma once

#include <string>
#include <sys/types.h>

// Runs the installed `launcher` on the X server in DISPLAY, whose process is `xServer`, once
// for each runtime, and prints the table.
int runPace(const std::string& launcher, pid_t xServer);

// The child run that counts frames: the scene as the program runs it, on the real clock.
int runPaceChild();
