// The monitors of an X display, where each copy of the scene goes.
#pragma once

#include <vector>

struct _XDisplay;

struct MonitorArea {
    int x = 0; // the top left corner, in the root window's coordinates
    int y = 0;
    int width = 0;
    int height = 0;
};

// RandR's active monitors, or Xinerama's screens where RandR lists none; the whole root where
// neither does.
std::vector<MonitorArea> monitorsOf(_XDisplay* display);

// How many monitors the display named in DISPLAY has; 1 when there is no X display.
int monitorCount();
