// The program's end when its X server goes away.
#include "platform.h"

#include <X11/Xlib.h>

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {

// Every connection to the server (SDL's, and the one that follows the monitors) finds it gone;
// the first to find it says so, and the others wait for it to end the process.
std::atomic_flag told = ATOMIC_FLAG_INIT;

int endAtOnce(Display*) {
    if (told.test_and_set())
        for (;;)
            pause();
    static const char message[] = "basilrain: the display has gone; ending\n";
    const ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    _exit(1);
}

} // namespace

// Xlib's own handler calls exit(), whose handlers shut SDL down over the dead connection, and
// that can wait for the server's reply for ever. There is no display left to restore.
// A write to the lost connection would kill the process by SIGPIPE, silently, before Xlib could
// tell; with the signal ignored the write fails and Xlib reports the loss.
void endWhenTheDisplayGoes() {
    XSetIOErrorHandler(endAtOnce);
    std::signal(SIGPIPE, SIG_IGN);
}
