// A private X server for end-to-end tests, with real input from xdotool and screenshots read
// straight off the root window: Xvfb with one screen, or TigerVNC's Xvnc with several monitors
// (RandR outputs VNC-0, VNC-1, ... in the order given, none of them primary).
#pragma once

#include <string>
#include <vector>

class XServer {
  public:
    struct Monitor {
        int x, y, width, height;
        bool operator==(const Monitor& o) const {
            return x == o.x && y == o.y && width == o.width && height == o.height;
        }
    };
    // 1920x1080 at 0,0 and 1280x1024 at 1920,0: a 3200x1080 root.
    using Layout = std::vector<Monitor>;
    static inline const Layout twoMonitors{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    // The first of them alone, as when the second is unplugged; both, the first made 1280x720.
    static inline const Layout firstAlone{twoMonitors[0]};
    static inline const Layout firstResized{{0, 0, 1280, 720}, twoMonitors[1]};
    // What the root shows where no window covers it, on a server with monitors: 0xRRGGBB.
    static constexpr unsigned rootGrey = 0x808080;

    // Xvfb, one screen.
    explicit XServer(int width = 800, int height = 600, int depth = 24);
    // Xvnc, depth 24, its root the monitors' bounding box painted rootGrey; the layout is set
    // by vnc_layout over the RFB unix socket vncSocket(). Not ready() unless it was applied.
    explicit XServer(const std::vector<Monitor>& monitors);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool ready() const { return display != nullptr; }
    // The monitors asked for last; on Xvfb the one screen.
    const std::vector<Monitor>& monitors() const { return layout; }
    // Changes Xvnc's monitors, as a dock or a KVM switch would; false unless applied.
    bool setMonitors(const std::vector<Monitor>& monitors);
    // Xvnc's RFB unix socket, for running vnc_layout again; empty on Xvfb.
    const std::string& vncSocket() const { return socketPath; }
    // "DISPLAY=:N", for the environment of the programs run against this server.
    std::string displayVariable() const { return "DISPLAY=" + name; }
    // Ends the server with `sig` (SIGTERM as at a log-out, SIGKILL as in a crash) and waits for
    // it to go; the fixture's own connection is closed first.
    void end(int sig);
    // Runs xdotool with `args` against this server and waits for it.
    bool xdotool(const std::vector<std::string>& args);

    // The server's own screen saver, which comes on after `seconds` without input unless a
    // client holds the display awake: the witness of whether a program lets the monitor sleep.
    void setScreenSaver(int seconds);
    bool screenSaverOn();
    // Its settings, as `xset q` shows them, to tell whether a program changed them for good.
    std::string screenSaverSettings();

    struct Screenshot {
        int width = 0;
        int height = 0;
        std::vector<unsigned> pixels; // 0xRRGGBB, row by row
        unsigned at(int x, int y) const { return pixels[y * width + x]; }
        bool savePpm(const std::string& path) const;
    };
    Screenshot screenshot();

  private:
    bool start(const std::vector<std::string>& command);
    bool applyLayout();

    int pid = -1;
    std::string name;
    std::vector<Monitor> layout;
    std::string socketDir, socketPath;
    struct _XDisplay* display = nullptr; // Xlib stays out of the tests: its macros clash
};

// Milliseconds, for pacing a test against the program's own clock.
void sleepMs(int ms);
