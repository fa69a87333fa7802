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
#include <random>
#include <string>
#include <vector>

namespace {

// Waits until the program has put its first frame on the screen.
bool sceneShown(XServer& x) {
    for (int waited = 0; waited < 10000; waited += 100) {
        const XServer::Screenshot shot = x.screenshot();
        for (unsigned p : shot.pixels)
            if (p != 0)
                return true;
        sleepMs(100);
    }
    return false;
}

class ExitTest : public testing::TestWithParam<SdlRuntime> {
  protected:
    XServer x;
    void SetUp() override { ASSERT_TRUE(x.ready()) << "Xvfb did not start"; }

    // The program itself, with nothing between it and SDL.
    ChildProcess start() { return startOn(x, {}); }
    ChildProcess startOn(const XServer& server, std::vector<std::string> env) {
        env.push_back(server.displayVariable());
        env.push_back(programOn(GetParam()));
        return ChildProcess(PROGRAM_PATH, {}, env, PICTURES_DIR);
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

// A log-out or a crash of the server, at a random moment of a frame: Xlib finds the connection
// gone in whichever call the frame is in, the buffer swap's included.
TEST_P(ExitTest, TheDisplayGoingEndsItWithinASecond) {
    std::mt19937 random(std::random_device{}());
    for (int sig : {SIGTERM, SIGKILL, SIGTERM}) {
        XServer screen(1920, 1080);
        ASSERT_TRUE(screen.ready()) << "Xvfb did not start";
        // With the launcher's settings: the pace and scaling sdl12-compat gets from it.
        ChildProcess program =
            startOn(screen, {"SDL_VIDEODRIVER=x11", "SDL12COMPAT_SYNC_TO_VBLANK=1",
                             "SDL12COMPAT_SCALE_METHOD=nearest"});
        ASSERT_TRUE(sceneShown(screen)) << program.errorOutput();
        const int moment = std::uniform_int_distribution<int>(0, 999)(random);
        SCOPED_TRACE(std::string(strsignal(sig)) + " " + std::to_string(moment) +
                     " ms after the scene showed");
        sleepMs(moment);
        screen.end(sig);
        int status = -2;
        ASSERT_TRUE(program.waitFor(1000, &status)) << "running a second after the server went";
        EXPECT_EQ(status, 1);
        EXPECT_EQ(program.errorOutput(), "basilrain: the display has gone; ending\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Runtimes, ExitTest,
                         testing::Values(SdlRuntime::classic, SdlRuntime::compat),
                         [](const testing::TestParamInfo<SdlRuntime>& info) {
                             return runtimeName(info.param);
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
