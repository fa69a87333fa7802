#include "xserver.h"

#include "process.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

XServer::XServer(int width, int height, int depth) {
    int ready[2];
    if (pipe(ready) != 0)
        return;
    pid = fork();
    if (pid == 0) {
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        const std::string screen =
            std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
        std::freopen("/dev/null", "w", stderr);
        // The server picks a free display itself and writes its number to the pipe.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char number[32] = {};
    const ssize_t got = read(ready[0], number, sizeof number - 1);
    close(ready[0]);
    if (got <= 0)
        return;
    name = ":" + std::to_string(std::stoi(number));
    display = XOpenDisplay(name.c_str());
}

XServer::~XServer() {
    if (display)
        XCloseDisplay(display);
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
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
