// The program standalone on sdl12-compat on an X server with two monitors, with and without a
// window manager: the whole scene on each monitor, scaled to it with its shape kept, also as
// monitors come, go and change size while it plays, and every way of ending it, from either
// monitor's copy or from outside, leaves nothing running.
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

namespace {

enum class Ending {
    motionOnTheSecondMonitor,
    escape,
    sigtermToTheFirst,
    sigkillToTheFirst,
    aCopyFailing, // the others play on, until SIGTERM to the first
};

using Layout = XServer::Layout;

// Started on one monitor, a second plugged in, unplugged and plugged in again, then the first
// made smaller while the second stays as it was.
const std::vector<Layout> comingAndGoing{XServer::firstAlone, XServer::twoMonitors,
                                         XServer::firstAlone, XServer::twoMonitors,
                                         XServer::firstResized};

struct Case {
    const char* name;
    bool windowManager;
    Ending ending;
    int status;                                        // of the first process; -1 for a signal
    std::vector<Layout> layouts{XServer::twoMonitors}; // at the start, then each while it plays
};

const Case cases[] = {
    {"LateMotionOnTheSecondMonitor", false, Ending::motionOnTheSecondMonitor, 0},
    {"MonitorsComeAndGoThenEscapeUnderAWindowManager", true, Ending::escape, 0, comingAndGoing},
    {"SigtermToTheFirstUnderAWindowManager", true, Ending::sigtermToTheFirst, 0},
    {"MonitorsComeAndGoThenSigkillToTheFirst", false, Ending::sigkillToTheFirst, -1,
     comingAndGoing},
    {"ACopyFailingLeavesTheOthersPlaying", true, Ending::aCopyFailing, 0},
};

std::vector<pid_t> sorted(std::vector<pid_t> pids) {
    std::sort(pids.begin(), pids.end());
    return pids;
}

// Waits up to `limitMs` for one process a monitor; the processes then running, sorted.
std::vector<pid_t> waitForOneProcessAMonitor(const XServer& x, int limitMs) {
    std::vector<pid_t> running = processesOn(x, PROGRAM_PATH);
    for (int waited = 0; running.size() != x.monitors().size() && waited < limitMs; waited += 100) {
        sleepMs(100);
        running = processesOn(x, PROGRAM_PATH);
    }
    return sorted(running);
}

bool greyIn(const XServer::Screenshot& shot, const XServer::Monitor& monitor) {
    for (int y = monitor.y; y < monitor.y + monitor.height; ++y)
        for (int x = monitor.x; x < monitor.x + monitor.width; ++x)
            if (shot.at(x, y) == XServer::rootGrey)
                return true;
    return false;
}

// Every monitor shows the whole scene, scaled to it, within `limitMs`, and none the desktop.
void expectTheSceneOnEveryMonitor(XServer& x, const Backdrop& backdrop, int limitMs,
                                  const std::string& shotName, const ChildProcess& program) {
    XServer::Screenshot shot;
    for (const XServer::Monitor& monitor : x.monitors()) {
        const ScenePlace place =
            sceneIn(SdlRuntime::compat, monitor.x, monitor.y, monitor.width, monitor.height);
        double worst = 0;
        shot = waitForScene(x, backdrop, place.left, place.top, &worst, place.scale, limitMs);
        EXPECT_GT(worst, 0.8) << "no whole scene on the " << monitor.width << "x" << monitor.height
                              << " monitor at +" << monitor.x << "+" << monitor.y << " ("
                              << shotName << ")\n"
                              << program.errorOutput();
        EXPECT_FALSE(greyIn(shot, monitor)) << "the desktop shows on the monitor at +" << monitor.x
                                            << "+" << monitor.y << " (" << shotName << ")";
    }
    keepScreenshot(shot, shotName);
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class TwoMonitorsTest : public testing::TestWithParam<Case> {};

TEST_P(TwoMonitorsTest, EveryMonitorShowsTheWholeSceneAndEveryCopyEndsTogether) {
    XServer x(GetParam().layouts.front());
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
    const std::string shotName = std::string("two-monitors-") + GetParam().name;
    expectTheSceneOnEveryMonitor(x, backdrop, 10000, shotName, program);
    std::vector<pid_t> running = waitForOneProcessAMonitor(x, 0);
    EXPECT_EQ(running.size(), x.monitors().size()) << "not one process a monitor";

    for (size_t change = 1; change < GetParam().layouts.size(); ++change) {
        const std::vector<pid_t> before = running;
        const bool fewer = GetParam().layouts[change].size() < x.monitors().size();
        ASSERT_TRUE(x.setMonitors(GetParam().layouts[change])) << "layout " << change;
        running = waitForOneProcessAMonitor(x, fewer ? 4000 : 5000);
        EXPECT_EQ(running.size(), x.monitors().size())
            << "not one process a monitor after layout " << change;
        // A monitor that stays keeps its process: the scene there plays on, unbroken.
        EXPECT_TRUE(
            fewer ? std::includes(before.begin(), before.end(), running.begin(), running.end())
                  : std::includes(running.begin(), running.end(), before.begin(), before.end()))
            << "a process was replaced at layout " << change;
        expectTheSceneOnEveryMonitor(x, backdrop, 5000,
                                     shotName + "-layout" + std::to_string(change), program);
    }

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
