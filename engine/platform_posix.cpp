// The program's system parts on Linux and other POSIX systems.
#include "platform.h"
#include "scene.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// A frame loop that has not come round for this long in a host's window is stuck on a window
// that has gone (SDL2 can deadlock in its own X error handler); nothing will come of waiting.
constexpr unsigned stallLimitSeconds = 5;

extern "C" void endAtOnce(int) {
    _exit(0);
}

extern "C" void endStalled(int) {
    static const char message[] = "basilrain: drawing into the host's window hangs; ending\n";
    const ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(1);
}

void onSignal(int sig, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
}

} // namespace

// The launcher, or whoever starts the program, picks the folder.
bool enterPicturesFolder() {
    return true;
}

// SDL holds the display awake while its video is open, as a game or a film would want; a screen
// saver has to let the host and the system blank and power off the monitor at their own time.
// The launcher sets the rest, knowing the display.
void setVideoDefaults() {
    if (!isSet("SDL_VIDEO_ALLOW_SCREENSAVER"))
        setenv("SDL_VIDEO_ALLOW_SCREENSAVER", "1", 1);
}

bool displayExpected() {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"))
        return true;
    std::fprintf(stderr,
                 "basilrain: no display to draw on: neither DISPLAY nor WAYLAND_DISPLAY is set\n");
    return false;
}

void endPromptlyUnderHost() {
    // SDL installs its own handlers only where it finds the default one, so these stay.
    onSignal(SIGTERM, endAtOnce);
    onSignal(SIGINT, endAtOnce);
    onSignal(SIGALRM, endStalled);
}

void putOffStallEnd() {
    alarm(stallLimitSeconds);
}
