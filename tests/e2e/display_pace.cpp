#include "display_pace.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <xcb/present.h>

#include <chrono>
#include <cstdlib>
#include <poll.h>

namespace {

// The display's frame counter now: a notice asked for at count 0 comes at once with it.
long refreshCount(Display* display) {
    xcb_connection_t* connection = XGetXCBConnection(display);
    const xcb_query_extension_reply_t* present =
        xcb_get_extension_data(connection, &xcb_present_id);
    if (!present || !present->present)
        return -1;
    std::free(xcb_present_query_version_reply(
        connection, xcb_present_query_version(connection, 1, 0), nullptr));
    const xcb_window_t root = DefaultRootWindow(display);
    const uint32_t events = xcb_generate_id(connection);
    xcb_present_select_input(connection, events, root, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    xcb_special_event_t* notices =
        xcb_register_for_special_xge(connection, &xcb_present_id, events, nullptr);
    xcb_present_notify_msc(connection, root, 0, 0, 0, 0);
    xcb_flush(connection);
    xcb_generic_event_t* notice = xcb_wait_for_special_event(connection, notices);
    const long count =
        notice
            ? static_cast<long>(reinterpret_cast<xcb_present_complete_notify_event_t*>(notice)->msc)
            : -1;
    std::free(notice);
    xcb_present_select_input(connection, events, root, 0);
    xcb_unregister_for_special_event(connection, notices);
    return count;
}

} // namespace

FramesAndRefreshes framesAndRefreshes(const XServer& x, unsigned long window, int spanMs) {
    FramesAndRefreshes counted;
    Display* display = XOpenDisplay(x.displayVariable().substr(8).c_str());
    int eventBase = 0, errorBase = 0;
    if (!display)
        return counted;
    if (!XDamageQueryExtension(display, &eventBase, &errorBase)) {
        XCloseDisplay(display);
        return counted;
    }
    const Damage damage =
        XDamageCreate(display, window ? window : DefaultRootWindow(display), XDamageReportNonEmpty);
    XSync(display, False);
    const long before = refreshCount(display);
    counted.frames = 0;
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(spanMs);
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == eventBase + XDamageNotify) {
                ++counted.frames;
                // Cleared, so that the next frame is reported again.
                XDamageSubtract(display, damage, None, None);
            }
        }
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1,
             static_cast<int>(
                 std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count()) +
                 1);
    }
    const long after = refreshCount(display);
    if (before >= 0 && after >= 0)
        counted.refreshes = after - before;
    XDamageDestroy(display, damage);
    XCloseDisplay(display);
    return counted;
}
