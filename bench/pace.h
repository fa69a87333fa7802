// The pace the scene settles at on a real X server: the CPU the program and the server spend,
// and the frames a second, for each SDL runtime the launcher can be asked for, in a host's
// window and standalone, beside a peer hack in the same place.
#pragma once

#include <string>
#include <sys/types.h>

// Runs the installed `launcher` on the X server in DISPLAY, whose process is `xServer`, in a
// full-screen host window, in a preview window and on its own, once for each runtime, then the
// hack `peer` in the same places, and prints the table. basilrain-window-load, beside this
// program, counts the frames.
int runPace(const std::string& launcher, pid_t xServer, const std::string& peer);
