// The program on a real X server, on classic SDL and on sdl12-compat: it ends on Escape, on
// mouse motion only after its opening, and on SIGTERM and Ctrl-C with status 0; when the server
// goes, at once with status 1; with no display at all it says so in one line and leaves the
// terminal alone.
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

class ExitTest : public testing::TestWithParam<SdlRuntime> {
  protected:
    XServer x;
    void SetUp() override { ASSERT_TRUE(x.ready()) << "Xvfb did not start"; }

    // The program itself, with nothing between it and SDL.
    ChildProcess start() {
        return ChildProcess(PROGRAM_PATH, {}, {x.displayVariable(), programOn(GetParam())},
                            PICTURES_DIR);
    }
};

TEST_P(ExitTest, EarlyMotionIsIgnoredAndEscapeEndsWithStatusZero) {
    ChildProcess program = start();
    ASSERT_TRUE(sceneShown(x)) << program.errorOutput();
    ASSERT_TRUE(x.xdotool({"mousemove_relative", "--", "15", "10"}));
    sleepMs(300);
    ASSERT_TRUE(x.xdotool({"mousemove_relative", "--", "-20", "5"}));
    sleepMs(500);
    EXPECT_TRUE(program.running()) << "motion in the first second must not end it";

    ASSERT_TRUE(x.xdotool({"key", "Escape"}));
    int status = -2;
    ASSERT_TRUE(program.waitFor(3000, &status)) << "Escape did not end it";
    EXPECT_EQ(status, 0) << program.errorOutput();
}

TEST_P(ExitTest, MotionAfterTheOpeningEndsIt) {
    ChildProcess program = start();
    ASSERT_TRUE(sceneShown(x)) << program.errorOutput();
    ASSERT_TRUE(x.xdotool({"key", "space"}));
    sleepMs(3500); // past 30 units of the scene clock, about 2.3 seconds
    EXPECT_TRUE(program.running()) << "other keys must not end it";

    ASSERT_TRUE(x.xdotool({"mousemove_relative", "--", "10", "10"}));
    int status = -2;
    ASSERT_TRUE(program.waitFor(3000, &status)) << "motion did not end it";
    EXPECT_EQ(status, 0) << program.errorOutput();
}

TEST_P(ExitTest, SigtermAndCtrlCEndItWithStatusZero) {
    for (int sig : {SIGTERM, SIGINT}) {
        ChildProcess program = start();
        ASSERT_TRUE(sceneShown(x)) << program.errorOutput();
        program.signal(sig);
        int status = -2;
        ASSERT_TRUE(program.waitFor(3000, &status)) << strsignal(sig) << " did not end it";
        // A normal end: SDL's quit request, and SDL_Quit restoring the display at exit.
        EXPECT_EQ(status, 0) << strsignal(sig) << ": " << program.errorOutput();
        EXPECT_EQ(program.errorOutput(), "") << strsignal(sig);
    }
}

INSTANTIATE_TEST_SUITE_P(Runtimes, ExitTest,
                         testing::Values(SdlRuntime::classic, SdlRuntime::compat),
                         [](const testing::TestParamInfo<SdlRuntime>& info) {
                             return runtimeName(info.param);
                         });

// The X server gone under the program, on one screen and on two monitors, where sdl12-compat
// plays a copy on the second.
struct DisplayLoss {
    const char* name;
    SdlRuntime runtime;
    bool twoMonitors;
};

const DisplayLoss losses[] = {
    {"ClassicSdl", SdlRuntime::classic, false},
    {"Sdl12Compat", SdlRuntime::compat, false},
    {"Sdl12CompatOnTwoMonitors", SdlRuntime::compat, true},
};

void PrintTo(const DisplayLoss& loss, std::ostream* out) {
    *out << loss.name;
}

class DisplayLossTest : public testing::TestWithParam<DisplayLoss> {};

// A log-out or a crash of the server, at a random moment of a frame: Xlib finds the connection
// gone in whichever call the frame is in, the buffer swap's included.
TEST_P(DisplayLossTest, EveryProcessEndsWithinASecondSayingWhy) {
    std::mt19937 random(std::random_device{}());
    for (int sig : {SIGTERM, SIGKILL, SIGTERM}) {
        const std::unique_ptr<XServer> x = GetParam().twoMonitors
                                               ? std::make_unique<XServer>(XServer::twoMonitors)
                                               : std::make_unique<XServer>(1920, 1080);
        ASSERT_TRUE(x->ready()) << "the X server did not start";
        // With the launcher's settings: the pace and scaling sdl12-compat gets from it.
        ChildProcess program(PROGRAM_PATH, {},
                             {x->displayVariable(), programOn(GetParam().runtime),
                              "SDL_VIDEODRIVER=x11", "SDL12COMPAT_SYNC_TO_VBLANK=1",
                              "SDL12COMPAT_SCALE_METHOD=nearest"},
                             PICTURES_DIR);
        ASSERT_TRUE(sceneShown(*x)) << program.errorOutput();
        const size_t playing = processesOn(*x, PROGRAM_PATH).size();
        EXPECT_EQ(playing, x->monitors().size()) << "not one process a monitor";
        const int moment = std::uniform_int_distribution<int>(0, 999)(random);
        SCOPED_TRACE(std::string(strsignal(sig)) + " " + std::to_string(moment) +
                     " ms after the scene showed");
        sleepMs(moment);
        x->end(sig);
        int status = -2;
        ASSERT_TRUE(program.waitFor(1000, &status)) << "running a second after the server went";
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(processesOn(*x, PROGRAM_PATH).empty()) << "a copy outlived the server";
        // Each process says it once, on the stderr the copies share with the first.
        std::string expected;
        for (size_t p = 0; p < playing; ++p)
            expected += "basilrain: the display has gone; ending\n";
        EXPECT_EQ(program.errorOutput(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, DisplayLossTest, testing::ValuesIn(losses),
                         [](const testing::TestParamInfo<DisplayLoss>& info) {
                             return std::string(info.param.name);
                         });

// As in a terminal over ssh: no display, and a terminal that SDL's text-mode drivers would take.
TEST(NoDisplayTest, SaysSoInOneLineAndWritesNothingToTheTerminal) {
    for (SdlRuntime runtime : {SdlRuntime::classic, SdlRuntime::compat}) {
        SCOPED_TRACE(runtimeName(runtime));
        const ScratchFolder outputs("no-display");
        const std::string out = outputs.path() + "/out", err = outputs.path() + "/err";
        const CommandResult run = runCommand(
            "(cd " + shellQuoted(PICTURES_DIR) +
            " && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER TERM=xterm " +
            shellQuoted(programOn(runtime)) + " timeout -s KILL 10 " + shellQuoted(PROGRAM_PATH) +
            " >" + shellQuoted(out) + " 2>" + shellQuoted(err) + " </dev/null)");
        EXPECT_EQ(run.status, 1) << "137 is a program that ran on, unseen";
        EXPECT_EQ(readFile(out), "");
        const std::string said = readFile(err);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("no display"), std::string::npos) << said;
    }
}

} // namespace
