#include "host_window.h"

#include <X11/Xlib.h>

#include <cstdio>

HostWindow::HostWindow(const std::string& display, int x, int y, int width, int height) {
    connection = XOpenDisplay(display.c_str());
    if (!connection)
        return;
    const int screen = DefaultScreen(connection);
    window = XCreateSimpleWindow(connection, RootWindow(connection, screen), x, y, width, height, 0,
                                 BlackPixel(connection, screen), BlackPixel(connection, screen));
    XMapWindow(connection, window);
    XSync(connection, False);
}

HostWindow::~HostWindow() {
    if (!connection)
        return;
    destroy();
    XCloseDisplay(connection);
}

void HostWindow::destroy() {
    if (!connection || !window)
        return;
    XDestroyWindow(connection, window);
    XSync(connection, False);
    window = 0;
}

std::string HostWindow::id() const {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}
