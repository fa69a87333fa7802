// The pace the scene settles at in a host's window on a real X server: the CPU the program and
// the server spend, and the frames a second, for each SDL runtime the launcher can be asked for,
// beside a peer hack in the same window.
#pragma once

#include <string>
#include <sys/types.h>

// Runs the installed `launcher` on the X server in DISPLAY, whose process is `xServer`, in a
// full-screen host window and in a preview window, once for each runtime, then the hack `peer`
// in the same windows, and prints the table.
int runPace(const std::string& launcher, pid_t xServer, const std::string& peer);

// The child run that counts frames: the scene as the program runs it, on the real clock.
int runPaceChild();
