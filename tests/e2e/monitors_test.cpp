// The program standalone on sdl12-compat on an X server with two monitors, with and without a
// window manager: the whole scene on each monitor, scaled to it with its shape kept, and every
// way of ending it, from either monitor's copy or from outside, leaves nothing running.
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

enum class Ending {
    motionOnTheSecondMonitor,
    escape,
    sigtermToTheFirst,
    sigkillToTheFirst,
    aCopyFailing, // the others play on, until SIGTERM to the first
};

struct Case {
    const char* name;
    bool windowManager;
    Ending ending;
    int status; // of the first process; -1 for a signal
};

const Case cases[] = {
    {"LateMotionOnTheSecondMonitor", false, Ending::motionOnTheSecondMonitor, 0},
    {"EscapeUnderAWindowManager", true, Ending::escape, 0},
    {"SigtermToTheFirstUnderAWindowManager", true, Ending::sigtermToTheFirst, 0},
    {"SigkillToTheFirst", false, Ending::sigkillToTheFirst, -1},
    {"ACopyFailingLeavesTheOthersPlaying", true, Ending::aCopyFailing, 0},
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class TwoMonitorsTest : public testing::TestWithParam<Case> {};

TEST_P(TwoMonitorsTest, EveryMonitorShowsTheWholeSceneAndEveryCopyEndsTogether) {
    XServer x(XServer::twoMonitors);
    ASSERT_TRUE(x.ready()) << "Xvnc did not start with two monitors";
    const ScratchFolder scratch("monitors");
    std::unique_ptr<ChildProcess> windowManager;
    if (GetParam().windowManager) {
        windowManager = startOpenbox(x, scratch);
        ASSERT_TRUE(windowManager) << "openbox did not start";
    }
    // The pointer rests on the second monitor from the start, so that only that monitor's copy
    // sees the late motion.
    ASSERT_TRUE(x.xdotool({"mousemove", "2500", "500"}));
    ChildProcess program(PROGRAM_PATH, {},
                         {x.displayVariable(), programOn(SdlRuntime::compat), "SDL_VIDEODRIVER=x11",
                          "SDL12COMPAT_SCALE_METHOD=nearest", "SDL12COMPAT_SYNC_TO_VBLANK=1"},
                         PICTURES_DIR);

    const Backdrop backdrop(std::string(PICTURES_DIR) + "/001.gif");
    ASSERT_TRUE(backdrop.loaded());
    XServer::Screenshot shot;
    for (const XServer::Monitor& monitor : x.monitors()) {
        const ScenePlace place =
            sceneIn(SdlRuntime::compat, monitor.x, monitor.y, monitor.width, monitor.height);
        double worst = 0;
        shot = waitForScene(x, backdrop, place.left, place.top, &worst, place.scale);
        EXPECT_GT(worst, 0.8) << "no whole scene on the monitor at +" << monitor.x << "+"
                              << monitor.y << "\n"
                              << program.errorOutput();
    }
    keepScreenshot(shot, std::string("two-monitors-") + GetParam().name);
    EXPECT_EQ(processesOn(x, PROGRAM_PATH).size(), 2u) << "not one process a monitor";

    switch (GetParam().ending) {
    case Ending::motionOnTheSecondMonitor:
        sleepMs(3000); // past 30 units of the scene clock, about 2.3 seconds from its start
        ASSERT_TRUE(x.xdotool({"mousemove_relative", "--", "10", "10"}));
        break;
    case Ending::escape:
        ASSERT_TRUE(x.xdotool({"key", "Escape"}));
        break;
    case Ending::sigtermToTheFirst:
        program.signal(SIGTERM);
        break;
    case Ending::sigkillToTheFirst:
        program.signal(SIGKILL);
        break;
    case Ending::aCopyFailing:
        for (pid_t pid : processesOn(x, PROGRAM_PATH))
            if (environmentOf(pid, "BASILRAIN_MONITOR") == "1")
                kill(pid, SIGKILL);
        sleepMs(1000);
        EXPECT_TRUE(program.running()) << "a copy's failure ended the first";
        program.signal(SIGTERM);
        break;
    }
    int status = -2;
    ASSERT_TRUE(program.waitFor(3000, &status)) << "the first process did not end";
    EXPECT_EQ(status, GetParam().status) << program.errorOutput();
    for (int waited = 0; !processesOn(x, PROGRAM_PATH).empty() && waited < 1000; waited += 50)
        sleepMs(50);
    EXPECT_TRUE(processesOn(x, PROGRAM_PATH).empty()) << "a copy outlived the first by a second";
}

INSTANTIATE_TEST_SUITE_P(Endings, TwoMonitorsTest, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
