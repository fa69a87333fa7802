// The program on a real X server ends on Escape, and on mouse motion only after its opening.
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

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

class ExitTest : public testing::Test {
  protected:
    XServer x;
    void SetUp() override { ASSERT_TRUE(x.ready()) << "Xvfb did not start"; }
};

TEST_F(ExitTest, EarlyMotionIsIgnoredAndEscapeEndsWithStatusZero) {
    ChildProcess program(PROGRAM_PATH, {}, {x.displayVariable()}, PICTURES_DIR);
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

TEST_F(ExitTest, MotionAfterTheOpeningEndsIt) {
    ChildProcess program(PROGRAM_PATH, {}, {x.displayVariable()}, PICTURES_DIR);
    ASSERT_TRUE(sceneShown(x)) << program.errorOutput();
    ASSERT_TRUE(x.xdotool({"key", "space"}));
    sleepMs(3500); // past 30 units of the scene clock, about 2.3 seconds
    EXPECT_TRUE(program.running()) << "other keys must not end it";

    ASSERT_TRUE(x.xdotool({"mousemove_relative", "--", "10", "10"}));
    int status = -2;
    ASSERT_TRUE(program.waitFor(3000, &status)) << "motion did not end it";
    EXPECT_EQ(status, 0) << program.errorOutput();
}

} // namespace
