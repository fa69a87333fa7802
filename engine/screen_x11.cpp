// The full screen on an X server without a window manager (a kiosk, xinit, a bare server).
#include "monitors_x11.h"
#include "platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace {

// The monitor the window was put on when the screen opened, and its place in the list then.
MonitorArea ownMonitor;
int ownIndex = -1;

// The monitor SDL put the window on: the one that holds the window's middle.
int monitorHolding(const std::vector<MonitorArea>& monitors, int x, int y) {
    for (size_t i = 0; i < monitors.size(); ++i)
        if (x >= monitors[i].x && x < monitors[i].x + monitors[i].width && y >= monitors[i].y &&
            y < monitors[i].y + monitors[i].height)
            return static_cast<int>(i);
    return 0;
}

// Covers the window's own monitor with SDL's window where the window is a child of the root that
// no window manager manages; `find` takes the monitor that holds the window's middle for its own.
void fillOwnMonitor(bool find) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.lock_func ||
        !info.info.x11.unlock_func)
        return;
    info.info.x11.lock_func();
    Display* display = info.info.x11.display;
    const Window window = info.info.x11.window;
    Window root = 0, parent = 0, *children = nullptr, child = 0;
    unsigned childCount = 0;
    XWindowAttributes screen, own;
    int x = 0, y = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &childCount) &&
        XGetWindowAttributes(display, root, &screen) &&
        XGetWindowAttributes(display, window, &own) &&
        XTranslateCoordinates(display, window, root, own.width / 2, own.height / 2, &x, &y,
                              &child)) {
        if (find) {
            const std::vector<MonitorArea> monitors = monitorsOf(display);
            ownIndex = monitorHolding(monitors, x, y);
            ownMonitor = monitors[static_cast<size_t>(ownIndex)];
        }
        const MonitorArea& monitor = ownMonitor;
        // A window manager is whoever redirects the root's children's requests to itself.
        const bool managed = (screen.all_event_masks & SubstructureRedirectMask) != 0;
        if (!managed && parent == root &&
            (own.x != monitor.x || own.y != monitor.y || own.width != monitor.width ||
             own.height != monitor.height)) {
            XMoveResizeWindow(display, window, monitor.x, monitor.y,
                              static_cast<unsigned>(monitor.width),
                              static_cast<unsigned>(monitor.height));
            XRaiseWindow(display, window);
            XSync(display, False);
        }
    }
    if (children)
        XFree(children);
    info.info.x11.unlock_func();
}

} // namespace

// SDL 2 and 3 leave making a window full-screen to the window manager and report the monitor's
// size whether or not one did it; with none the window keeps the mode's 800x600 and shows the
// top left of a scene scaled for the whole monitor, or the scene unscaled. The classic SDL 1.2
// puts its window inside a full-screen one of its own, which is left alone.
void fillScreenWithoutWindowManager() {
    fillOwnMonitor(true);
}

// sdl12-compat scales the scene to whatever size its window takes.
void keepWindowOnItsMonitor(const std::vector<MonitorArea>& monitors) {
    const int index = findMonitor(monitors, ownMonitor, ownIndex);
    if (ownIndex < 0 || index < 0)
        return;
    ownIndex = index;
    ownMonitor = monitors[static_cast<size_t>(index)];
    fillOwnMonitor(false);
}
