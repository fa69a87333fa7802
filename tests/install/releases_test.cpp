// The Debian package as installed with apt on each release that scripts/test-releases.sh made
// (Debian 12, 13 and unstable, in $BASILRAIN_RELEASES_CACHE), run there against a 1920x1080 X
// server on this machine: the whole scene, 1440x1080 at +240+0, on sdl12-compat with the nearest
// pixel on the software rasteriser, standalone and in a host's window, with or without a window
// manager or a Wayland compositor beside the X server.
#include "host_window.h"
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <tuple>
#include <unistd.h>

namespace {

struct Case {
    const char* name;
    bool windowManager;
    bool wayland;
    bool hostWindow;
    bool endedByMotion; // standalone, after the opening, instead of Escape
};

const Case cases[] = {
    {"Standalone", false, false, false, false},
    {"StandaloneUnderAWindowManager", true, false, false, false},
    {"StandaloneInAWaylandSession", false, true, false, true},
    {"HostWindow", false, false, true, false},
    {"HostWindowInAWaylandSession", false, true, true, false},
};

class ReleaseTest : public testing::TestWithParam<std::tuple<const char*, Case>> {
  protected:
    static std::string cache() {
        const char* folder = std::getenv("BASILRAIN_RELEASES_CACHE");
        return folder ? folder : "/var/cache/basilrain-releases";
    }
    std::string root() const { return cache() + "/" + std::get<0>(GetParam()); }
    const Case& which() const { return std::get<1>(GetParam()); }
};

TEST_P(ReleaseTest, ShowsTheWholeSceneWithTheNearestPixelAndEndsCleanly) {
    ASSERT_EQ(access((root() + "/usr/bin/basilrain").c_str(), X_OK), 0)
        << "the package is not installed in " << root();
    XServer x(1920, 1080);
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    const std::string display = x.displayVariable().substr(8);
    ScratchFolder scratch("release");
    std::vector<std::string> env = {
        x.displayVariable(), "XSCREENSAVER_WINDOW=", "SDL_WINDOWID=",
        "WAYLAND_DISPLAY=",  "SDL_VIDEODRIVER=",     "SDL12COMPAT_SCALE_METHOD="};

    std::unique_ptr<ChildProcess> windowManager, compositor;
    if (which().windowManager)
        windowManager = startOpenbox(x, scratch);
    ASSERT_EQ(windowManager != nullptr, which().windowManager) << "openbox did not start";
    if (which().wayland) {
        // Unstable's weston: SDL 3 takes Wayland only from a compositor as new as that.
        compositor = startAndWait("/usr/sbin/chroot",
                                  {cache() + "/sid", "weston", "--backend=headless",
                                   "--shell=kiosk", "--socket=wayland-basilrain"},
                                  {"XDG_RUNTIME_DIR=" + scratch.path()},
                                  scratch.path() + "/wayland-basilrain");
        ASSERT_TRUE(compositor) << "weston did not start";
        env.insert(env.end(),
                   {"XDG_RUNTIME_DIR=" + scratch.path(), "WAYLAND_DISPLAY=wayland-basilrain"});
    }
    std::unique_ptr<HostWindow> window;
    std::vector<std::string> args = {root(), "/usr/bin/basilrain"};
    if (which().hostWindow) {
        window = std::make_unique<HostWindow>(display, 0, 0, 1920, 1080);
        ASSERT_TRUE(window->made());
        env.push_back("XSCREENSAVER_WINDOW=" + window->id());
        args.push_back("-root");
    }
    ChildProcess launcher("/usr/sbin/chroot", args, env, "/");

    const Backdrop backdrop(root() + "/usr/share/basilrain/001.gif");
    ASSERT_TRUE(backdrop.loaded());
    const ScenePlace place = sceneIn(SdlRuntime::compat, 0, 0, 1920, 1080);
    double worst = 0;
    const XServer::Screenshot shot =
        waitForScene(x, backdrop, place.left, place.top, &worst, place.scale);
    keepScreenshot(shot, std::string("release-") + std::get<0>(GetParam()) + "-" + which().name);
    EXPECT_GT(worst, 0.8) << "the scene is not 1440x1080 at +240+0\n" << launcher.errorOutput();
    EXPECT_NEAR(filledShare(shot, 0, 0, 1920, 1080), 0.75, 0.01) << "more than the scene shows";

    const std::string program = root() + "/usr/libexec/basilrain/basilrain";
    const pid_t pid = findProcess(program, 2000);
    ASSERT_GT(pid, 0) << "the launcher did not start the program\n" << launcher.errorOutput();
    EXPECT_EQ(runtimeName(runtimeOf(pid)), runtimeName(SdlRuntime::compat));
    EXPECT_EQ(environmentOf(pid, "SDL12COMPAT_SCALE_METHOD"), "nearest");
    EXPECT_EQ(environmentOf(pid, "SDL_RENDER_DRIVER"), "software");

    int status = -2;
    if (which().hostWindow) {
        launcher.signal(SIGTERM);
        EXPECT_TRUE(launcher.waitFor(1000, &status)) << "SIGTERM did not end it within a second";
    } else if (which().endedByMotion) {
        sleepMs(3000); // past 30 units of the scene clock, about 2.3 seconds from its start
        ASSERT_TRUE(x.xdotool({"mousemove_relative", "--", "10", "10"}));
        EXPECT_TRUE(launcher.waitFor(3000, &status)) << "motion did not end it";
    } else {
        ASSERT_TRUE(x.xdotool({"key", "Escape"}));
        EXPECT_TRUE(launcher.waitFor(3000, &status)) << "Escape did not end it";
    }
    EXPECT_EQ(status, 0) << launcher.errorOutput();
    EXPECT_EQ(findProcess(program, 0), -1) << "a program was left behind";
}

INSTANTIATE_TEST_SUITE_P(Releases, ReleaseTest,
                         testing::Combine(testing::Values("bookworm", "trixie", "sid"),
                                          testing::ValuesIn(cases)),
                         [](const testing::TestParamInfo<std::tuple<const char*, Case>>& info) {
                             return std::string(std::get<0>(info.param)) + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
