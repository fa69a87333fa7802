// Follows an X display's monitors: a thread on a connection of its own waits for RandR's
// notifications and keeps the monitors as they are after each change.
#include "layout_x11.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <thread>

namespace {

// Never freed: the thread may still be writing as the process ends.
struct Layout {
    std::atomic<bool> changed{false};
    std::mutex guard;
    std::vector<MonitorArea> monitors; // under guard
};
Layout* const layout = new Layout;

// A change of layout arrives as a burst of notifications, one for each output, CRTC and the
// screen; the monitors are read once the burst is over.
constexpr int settleMs = 150;

void takeEvent(Display* display) {
    XEvent event;
    XNextEvent(display, &event);
    XRRUpdateConfiguration(&event);
}

[[noreturn]] void watch(Display* display, std::vector<MonitorArea> known) {
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        takeEvent(display);
        while (XPending(display) > 0 || poll(&connection, 1, settleMs) > 0)
            takeEvent(display);
        std::vector<MonitorArea> now = monitorsOf(display);
        if (now == known)
            continue;
        known = now;
        const std::lock_guard<std::mutex> hold(layout->guard);
        layout->monitors = std::move(now);
        layout->changed = true;
    }
}

} // namespace

bool followLayout() {
    Display* display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XRRQueryExtension(display, &event, &error) ||
        !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 2)) {
        if (display)
            XCloseDisplay(display);
        return false;
    }
    XRRSelectInput(display, DefaultRootWindow(display),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    std::vector<MonitorArea> known = monitorsOf(display);
    // Signals stay with the main thread, where SDL and the copies' bookkeeping expect them.
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    std::thread(watch, display, std::move(known)).detach();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return true;
}

bool layoutChanged(std::vector<MonitorArea>* now) {
    if (!layout->changed.load(std::memory_order_relaxed))
        return false;
    const std::lock_guard<std::mutex> hold(layout->guard);
    layout->changed = false;
    *now = layout->monitors;
    return true;
}
