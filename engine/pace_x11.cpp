// The display's pace, kept by the program where its SDL keeps none: the classic SDL 1.2 and
// sdl12-compat's software renderer show a frame as soon as it is drawn, hundreds or thousands a
// second, where the display shows some sixty. Each frame then waits for the display's next
// refresh, which the X server's Present extension tells (every X server since 2013 has it;
// without it the loop runs free, as it always did).
#include "platform.h"
#include "scene.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xcb/present.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <strings.h>

namespace {

// Present's slowest clock, for a blanked screen or a window off every monitor, ticks once a
// second; when no notice has come for longer, none is coming.
constexpr int longestWaitMs = 2000;

// Present's notices of the display's frame counter (its MSC) on the window being drawn.
struct PresentClock {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_special_event_t* notices = nullptr;
    uint32_t serial = 0;
    uint64_t nextCount = 0; // the first wait asks for the count reached, and returns at once
};

PresentClock present;

long long milliseconds(const timespec& t) {
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

// sdl12-compat waits for the vertical blank when asked to and drawing with OpenGL; the classic
// library and SDL2's software renderer never wait.
bool runtimeKeepsThePace() {
    if (!onSdl12Compat())
        return false;
    const char* sync = std::getenv("SDL12COMPAT_SYNC_TO_VBLANK");
    const char* renderer = std::getenv("SDL_RENDER_DRIVER");
    return sync && std::atoi(sync) != 0 && !(renderer && strcasecmp(renderer, "software") == 0);
}

void startPresentClock(Display* display, Window window) {
    xcb_connection_t* connection = XGetXCBConnection(display);
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_present_id);
    if (!extension || !extension->present)
        return;
    xcb_present_query_version_reply_t* version = xcb_present_query_version_reply(
        connection,
        xcb_present_query_version(connection, XCB_PRESENT_MAJOR_VERSION, XCB_PRESENT_MINOR_VERSION),
        nullptr);
    if (!version)
        return;
    std::free(version);
    const xcb_present_event_t events = xcb_generate_id(connection);
    xcb_generic_error_t* refused = xcb_request_check(
        connection, xcb_present_select_input_checked(connection, events, window,
                                                     XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY));
    if (refused) {
        std::free(refused);
        return;
    }
    present.connection = connection;
    present.window = window;
    present.notices = xcb_register_for_special_xge(connection, &xcb_present_id, events, nullptr);
}

enum class Notice { came, late, cut };

// Waits for Present's notice of the request `serial`, and takes the count it reached.
Notice noticeOf(uint32_t serial, uint64_t* count) {
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        while (xcb_generic_event_t* event =
                   xcb_poll_for_special_event(present.connection, present.notices)) {
            const auto* notice = reinterpret_cast<xcb_present_complete_notify_event_t*>(event);
            const bool ours = notice->serial == serial;
            if (ours)
                *count = notice->msc;
            std::free(event);
            if (ours)
                return Notice::came;
        }
        // A lost display is told by Xlib at SDL's next call, and ends the program.
        if (xcb_connection_has_error(present.connection))
            return Notice::cut;
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long left = longestWaitMs - (milliseconds(now) - milliseconds(start));
        if (left <= 0)
            return Notice::late;
        pollfd connection = {xcb_get_file_descriptor(present.connection), POLLIN, 0};
        // A signal is a request to end, which the frame loop hears at once.
        if (poll(&connection, 1, static_cast<int>(left)) < 0 && errno == EINTR)
            return Notice::cut;
    }
}

void awaitPresentClock() {
    const uint32_t serial = ++present.serial;
    // Checked, so that an error (the host's window gone) stays here, out of SDL's error handler.
    const xcb_void_cookie_t asked = xcb_present_notify_msc_checked(
        present.connection, present.window, serial, present.nextCount, 0, 0);
    xcb_flush(present.connection);
    uint64_t count = 0;
    const Notice notice = noticeOf(serial, &count);
    if (notice == Notice::came)
        present.nextCount = count + 1;
    if (notice == Notice::late) {
        xcb_generic_error_t* error = xcb_request_check(present.connection, asked);
        if (error) {
            std::free(error);
            xcb_unregister_for_special_event(present.connection, present.notices);
            present.notices = nullptr;
        }
        return;
    }
    xcb_discard_reply(present.connection, asked.sequence);
}

} // namespace

void keepToTheDisplaysPace() {
    if (runtimeKeepsThePace())
        return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display ||
        !info.info.x11.window)
        return;
    startPresentClock(info.info.x11.display, info.info.x11.window);
}

void awaitTheDisplay() {
    if (present.notices)
        awaitPresentClock();
}
