// Counts a window's frames from the X server's damage reports: each report of new drawing on a
// window whose damage was cleared is one frame shown. Prints the frames a second over the time
// given. Used by scripts/bench.sh --windows, where the program measured is a Windows one under
// Wine and cannot count its own frames.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WINDOW SECONDS\n", argv[0]);
        return 2;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const double seconds = std::atof(argv[2]);
    Display* display = XOpenDisplay(nullptr);
    int eventBase = 0;
    int errorBase = 0;
    if (!display || !XDamageQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "%s: no X server with the DAMAGE extension\n", argv[0]);
        return 1;
    }
    const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
    XSync(display, False);

    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    long frames = 0;
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != eventBase + XDamageNotify)
                continue;
            ++frames;
            // Cleared, so that the next drawing is reported again.
            XDamageSubtract(display, damage, None, None);
        }
        pollfd x = {ConnectionNumber(display), POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
        poll(&x, 1, static_cast<int>(left.count()) + 1);
    }
    std::printf("%.1f\n", frames / seconds);
    XCloseDisplay(display);
    return 0;
}
