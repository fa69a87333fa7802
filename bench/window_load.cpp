// What windows' programs cost over some seconds: each window's frames a second, counted from the
// X server's damage reports (each report of new drawing on a window whose damage was cleared is
// one frame shown), and the CPU of the given processes over the same seconds, in percent of one
// core. Used by scripts/bench.sh, where the programs measured cannot count their own frames: a
// Windows one under Wine, and the program with its copies, one window on each monitor.
#include "process.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

// "20971527,23068679": windows in decimal, as xdotool prints them, or in hex; none when malformed.
std::vector<Window> windowsIn(const char* list) {
    std::vector<Window> windows;
    for (const char* next = list;;) {
        char* end = nullptr;
        const Window window = std::strtoul(next, &end, 0);
        if (end == next || window == 0 || (*end != ',' && *end != '\0'))
            return {};
        windows.push_back(window);
        if (*end == '\0')
            return windows;
        next = end + 1;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s WINDOW[,WINDOW...] SECONDS [PID...]\n", argv[0]);
        return 2;
    }
    const std::vector<Window> windows = windowsIn(argv[1]);
    if (windows.empty()) {
        std::fprintf(stderr, "%s: not a list of windows: %s\n", argv[0], argv[1]);
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    std::vector<pid_t> pids;
    for (int i = 3; i < argc; ++i)
        pids.push_back(static_cast<pid_t>(std::atoi(argv[i])));
    Display* display = XOpenDisplay(nullptr);
    int eventBase = 0;
    int errorBase = 0;
    if (!display || !XDamageQueryExtension(display, &eventBase, &errorBase)) {
        std::fprintf(stderr, "%s: no X server with the DAMAGE extension\n", argv[0]);
        return 1;
    }
    std::vector<Damage> damages;
    for (Window window : windows)
        damages.push_back(XDamageCreate(display, window, XDamageReportNonEmpty));
    XSync(display, False);

    std::vector<long> ticksBefore;
    for (pid_t pid : pids)
        ticksBefore.push_back(cpuTicks(pid));
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    std::vector<long> frames(windows.size(), 0);
    for (auto now = start; now < end; now = Clock::now()) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != eventBase + XDamageNotify)
                continue;
            const Damage damage = reinterpret_cast<XDamageNotifyEvent&>(event).damage;
            for (size_t i = 0; i < damages.size(); ++i)
                if (damages[i] == damage)
                    ++frames[i];
            // Cleared, so that the next drawing is reported again.
            XDamageSubtract(display, damage, None, None);
        }
        pollfd x = {ConnectionNumber(display), POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
        poll(&x, 1, static_cast<int>(left.count()) + 1);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    for (size_t i = 0; i < frames.size(); ++i)
        std::printf("%s%.1f", i ? " " : "", static_cast<double>(frames[i]) / seconds);
    for (size_t i = 0; i < pids.size(); ++i) {
        const long after = cpuTicks(pids[i]);
        const double ticks = elapsed * static_cast<double>(sysconf(_SC_CLK_TCK));
        std::printf(" %.1f", after < 0 || ticksBefore[i] < 0
                                 ? -1.0
                                 : 100.0 * static_cast<double>(after - ticksBefore[i]) / ticks);
    }
    std::printf("\n");
    XCloseDisplay(display);
    return 0;
}
