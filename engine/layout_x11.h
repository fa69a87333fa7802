// The monitor layout of an X display as it changes while the scene plays.
#pragma once

#include "monitors_x11.h"

#include <vector>

// Starts following the monitors of the display named in DISPLAY; false where the server cannot
// tell of their changes (no RandR 1.2).
bool followLayout();

// True once after each change of the monitors, with them as they now are in `now`. It never
// waits: it is meant for a look every frame.
bool layoutChanged(std::vector<MonitorArea>* now);
