// The monitors of an X display, where each copy of the scene goes.
#pragma once

#include <vector>

struct _XDisplay;

struct MonitorArea {
    int x = 0; // the top left corner, in the root window's coordinates
    int y = 0;
    int width = 0;
    int height = 0;
    unsigned long name = 0; // RandR's name for the monitor (an atom); 0 where it has none

    bool operator==(const MonitorArea& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height &&
               name == other.name;
    }
};

// RandR's active monitors, or Xinerama's screens where RandR lists none; the whole root where
// neither does.
std::vector<MonitorArea> monitorsOf(_XDisplay* display);

// The place in `monitors` of the monitor that was `which`, the `index`th of an earlier list: the
// one of the same name, or where monitors have no names the one at the same place in the list;
// -1 when it has gone.
int findMonitor(const std::vector<MonitorArea>& monitors, const MonitorArea& which, int index);

// The monitors of the display named in DISPLAY; none when there is no X display.
std::vector<MonitorArea> currentMonitors();

// Once the screen is open, standalone: this process's window refitted to the new place and size
// of the monitor it was put on, where no window manager does that (screen_x11.cpp).
void keepWindowOnItsMonitor(const std::vector<MonitorArea>& monitors);
