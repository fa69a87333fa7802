#include "xserver.h"

#include "process.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

XServer::XServer(int width, int height, int depth) : layout{{0, 0, width, height}} {
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    start({"Xvfb", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"});
}

XServer::XServer(const std::vector<Monitor>& monitors) : layout(monitors) {
    int width = 0, height = 0;
    for (const Monitor& m : monitors) {
        width = std::max(width, m.x + m.width);
        height = std::max(height, m.y + m.height);
    }
    char dir[] = "/tmp/basilrain-vnc-XXXXXX";
    if (monitors.empty() || !mkdtemp(dir))
        return;
    socketDir = dir;
    socketPath = socketDir + "/rfb";
    // RFB only on the unix socket, without a password; X on no TCP port.
    if (start({"Xvnc", "-geometry", std::to_string(width) + "x" + std::to_string(height), "-depth",
               "24", "-SecurityTypes", "None", "-localhost", "-rfbunixpath", socketPath, "-rfbport",
               "-1", "-nolisten", "tcp", "-noreset"}) &&
        !applyLayout()) {
        XCloseDisplay(display);
        display = nullptr;
    }
}

bool XServer::start(const std::vector<std::string>& command) {
    // Another server may take a free-looking display first; then the next one is tried.
    for (int number = 90 + getpid() % 100, tries = 0; !display && tries < 20; ++number, ++tries) {
        if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
            continue;
        name = ":" + std::to_string(number);
        std::vector<char*> argv{const_cast<char*>(command[0].c_str()),
                                const_cast<char*>(name.c_str())};
        for (size_t i = 1; i < command.size(); ++i)
            argv.push_back(const_cast<char*>(command[i].c_str()));
        argv.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            if (!std::freopen("/dev/null", "w", stderr))
                _exit(127);
            execvp(argv[0], argv.data());
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
    return display != nullptr;
}

bool XServer::applyLayout() {
    std::vector<std::string> args{socketPath};
    for (const Monitor& m : layout)
        args.push_back(std::to_string(m.width) + "x" + std::to_string(m.height) + "+" +
                       std::to_string(m.x) + "+" + std::to_string(m.y));
    ChildProcess tool(VNC_LAYOUT_PATH, args);
    int status = -1;
    if (!tool.waitFor(15000, &status) || status != 0) {
        std::fprintf(stderr, "vnc_layout failed: %s\n", tool.errorOutput().c_str());
        return false;
    }
    // An uncovered monitor shows plain grey in a screenshot.
    XColor grey{};
    grey.red = static_cast<unsigned short>((rootGrey >> 16 & 0xFF) * 0x101);
    grey.green = static_cast<unsigned short>((rootGrey >> 8 & 0xFF) * 0x101);
    grey.blue = static_cast<unsigned short>((rootGrey & 0xFF) * 0x101);
    const Window root = DefaultRootWindow(display);
    if (!XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &grey))
        return false;
    XSetWindowBackground(display, root, grey.pixel);
    XClearWindow(display, root);
    XSync(display, False);
    return true;
}

bool XServer::setMonitors(const std::vector<Monitor>& monitors) {
    layout = monitors;
    return !socketPath.empty() && applyLayout();
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
    if (!socketDir.empty()) {
        unlink(socketPath.c_str());
        rmdir(socketDir.c_str());
    }
}

bool XServer::xdotool(const std::vector<std::string>& args) {
    ChildProcess tool("/usr/bin/xdotool", args, {displayVariable()});
    int status = -1;
    return tool.waitFor(5000, &status) && status == 0;
}

void XServer::setScreenSaver(int seconds) {
    XSetScreenSaver(display, seconds, 0, DefaultBlanking, DefaultExposures);
    XSync(display, False);
}

bool XServer::screenSaverOn() {
    XScreenSaverInfo info = {};
    return XScreenSaverQueryInfo(display, DefaultRootWindow(display), &info) &&
           info.state == ScreenSaverOn;
}

std::string XServer::screenSaverSettings() {
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
    return "timeout " + std::to_string(timeout) + " cycle " + std::to_string(interval) +
           " blanking " + std::to_string(blanking) + " exposures " + std::to_string(exposures);
}

XServer::Screenshot XServer::screenshot() {
    Screenshot shot;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image =
        XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
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

void sleepMs(int ms) {
    usleep(static_cast<useconds_t>(ms) * 1000);
}
