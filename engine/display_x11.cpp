// The program's end when its X server goes away.
#include "platform.h"

#include <X11/Xlib.h>

#include <csignal>
#include <unistd.h>

namespace {

int endAtOnce(Display*) {
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
