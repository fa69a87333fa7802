// How the program ends when it is stopped or cannot open a screen.
#include "process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

namespace {

int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(ExitStatusTest, NoDisplayIsNamedOnOneLineWithStatusOne) {
    ChildProcess child(PROGRAM_PATH, {}, {"DISPLAY=", "SDL_VIDEODRIVER="}, PICTURES_DIR);
    int status = -2;
    ASSERT_TRUE(child.waitFor(10000, &status));
    EXPECT_EQ(status, 1) << "a signal or a crash gives -1";
    EXPECT_EQ(lines(child.errorOutput()), 1) << child.errorOutput();
    EXPECT_NE(child.errorOutput().find("display"), std::string::npos) << child.errorOutput();
}

TEST(ExitStatusTest, TerminateAndInterruptEndTheSceneWithStatusZero) {
    for (int sig : {SIGTERM, SIGINT}) {
        ChildProcess child(PROGRAM_PATH, {}, {"SDL_VIDEODRIVER=dummy"}, PICTURES_DIR);
        EXPECT_FALSE(child.waitFor(1500, nullptr)) << "the scene ended by itself";
        child.signal(sig);
        int status = -2;
        ASSERT_TRUE(child.waitFor(5000, &status)) << strsignal(sig);
        EXPECT_EQ(status, 0) << strsignal(sig) << ": " << child.errorOutput();
        EXPECT_EQ(child.errorOutput(), "") << "every picture is there";
    }
}

} // namespace
