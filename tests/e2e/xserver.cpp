#include "xserver.h"

#include "process.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

XServer::XServer(int width, int height, int depth) {
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    // Another server may take a free-looking display first; then the next one is tried.
    for (int number = 90 + getpid() % 100, tries = 0; !display && tries < 20; ++number, ++tries) {
        if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
            continue;
        name = ":" + std::to_string(number);
        pid = fork();
        if (pid == 0) {
            if (!std::freopen("/dev/null", "w", stderr))
                _exit(127);
            execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
                   "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        // The server takes a moment to listen; it is ready once a client gets through.
        for (int waited = 0; !display && waited < 10000; waited += 20) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                break;
            }
            display = XOpenDisplay(name.c_str());
            if (!display)
                sleepMs(20);
        }
    }
}

XServer::~XServer() {
    end(SIGTERM);
}

void XServer::end(int sig) {
    if (display)
        XCloseDisplay(display);
    display = nullptr;
    if (pid > 0) {
        kill(pid, sig);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

bool XServer::xdotool(const std::vector<std::string>& args) {
    ChildProcess tool("/usr/bin/xdotool", args, {displayVariable()});
    int status = -1;
    return tool.waitFor(5000, &status) && status == 0;
}

XServer::Screenshot XServer::screenshot() {
    Screenshot shot;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes,
                              ZPixmap);
    if (!image)
        return shot;
    shot.width = attributes.width;
    shot.height = attributes.height;
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            shot.pixels[y * shot.width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
    XDestroyImage(image);
    return shot;
}

bool XServer::Screenshot::savePpm(const std::string& path) const {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    for (unsigned p : pixels) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                      static_cast<unsigned char>(p >> 8),
                                      static_cast<unsigned char>(p)};
        std::fwrite(rgb, 1, 3, out);
    }
    return std::fclose(out) == 0;
}

void sleepMs(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }
