// The monitors of an X display: what RandR calls its active monitors, the heads of Xinerama on
// servers older than RandR 1.5 or without it.
#include "monitors_x11.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

namespace {

std::vector<MonitorArea> randrMonitors(Display* display) {
    std::vector<MonitorArea> areas;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
        (major == 1 && minor < 5))
        return areas;
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    for (int i = 0; i < count; ++i)
        areas.push_back({monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height,
                         monitors[i].name});
    if (monitors)
        XRRFreeMonitors(monitors);
    return areas;
}

std::vector<MonitorArea> xineramaHeads(Display* display) {
    std::vector<MonitorArea> areas;
    int event = 0, error = 0;
    if (!XineramaQueryExtension(display, &event, &error) || !XineramaIsActive(display))
        return areas;
    int count = 0;
    XineramaScreenInfo* heads = XineramaQueryScreens(display, &count);
    for (int i = 0; i < count; ++i)
        areas.push_back({heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height});
    if (heads)
        XFree(heads);
    return areas;
}

} // namespace

std::vector<MonitorArea> monitorsOf(Display* display) {
    std::vector<MonitorArea> areas = randrMonitors(display);
    if (areas.empty())
        areas = xineramaHeads(display);
    if (areas.empty())
        areas.push_back({0, 0, DisplayWidth(display, DefaultScreen(display)),
                         DisplayHeight(display, DefaultScreen(display))});
    return areas;
}

int findMonitor(const std::vector<MonitorArea>& monitors, const MonitorArea& which, int index) {
    for (size_t i = 0; i < monitors.size(); ++i)
        if (which.name != 0 ? monitors[i].name == which.name : static_cast<int>(i) == index)
            return static_cast<int>(i);
    return -1;
}

std::vector<MonitorArea> currentMonitors() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return {};
    std::vector<MonitorArea> monitors = monitorsOf(display);
    XCloseDisplay(display);
    return monitors;
}
