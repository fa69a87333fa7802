// A private X server (Xvfb) for end-to-end tests, with real input from xdotool and
// screenshots read straight off the root window.
#pragma once

#include <string>
#include <vector>

class XServer {
  public:
    explicit XServer(int width = 800, int height = 600, int depth = 24);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool ready() const { return display != nullptr; }
    // "DISPLAY=:N", for the environment of the programs run against this server.
    std::string displayVariable() const { return "DISPLAY=" + name; }
    // Ends the server with `sig` (SIGTERM as at a log-out, SIGKILL as in a crash) and waits for
    // it to go; the fixture's own connection is closed first.
    void end(int sig);
    // Runs xdotool with `args` against this server and waits for it.
    bool xdotool(const std::vector<std::string>& args);

    struct Screenshot {
        int width = 0;
        int height = 0;
        std::vector<unsigned> pixels; // 0xRRGGBB, row by row
        unsigned at(int x, int y) const { return pixels[y * width + x]; }
        bool savePpm(const std::string& path) const;
    };
    Screenshot screenshot();

  private:
    int pid = -1;
    std::string name;
    struct _XDisplay* display = nullptr; // Xlib stays out of the tests: its macros clash
};

// Milliseconds, for pacing a test against the program's own clock.
void sleepMs(int ms);
