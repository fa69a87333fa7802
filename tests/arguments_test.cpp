// The first argument decides between the scene and the preview and configuration requests.
#include "process.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

// A driver that does not exist: any attempt to open the video system fails and says so.
const std::vector<std::string> noVideo{"SDL_VIDEODRIVER=none-such"};
const std::vector<std::string> dummyVideo{"SDL_VIDEODRIVER=dummy"};

TEST(ArgumentsTest, PreviewAndConfigurationRequestsExitBeforeVideoStarts) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"/p"}, {"-p"}, {"/c"}, {"/c:1234"}, {"xp", "/s"}}) {
        ChildProcess child(PROGRAM_PATH, args, noVideo, PICTURES_DIR);
        int status = -2;
        ASSERT_TRUE(child.waitFor(5000, &status)) << args[0];
        EXPECT_EQ(status, 0) << args[0];
        EXPECT_EQ(child.errorOutput(), "") << args[0];
    }
}

TEST(ArgumentsTest, EverythingElseRunsTheScene) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {}, {"/s"}, {"/P"}, {"/C"}, {"p"}, {""}, {"/s", "/p"}}) {
        const std::string shown = args.empty() ? "(none)" : "'" + args[0] + "'";
        {
            ChildProcess child(PROGRAM_PATH, args, noVideo, PICTURES_DIR);
            int status = -2;
            ASSERT_TRUE(child.waitFor(5000, &status)) << shown;
            EXPECT_EQ(status, 1) << shown << ": tried to open the video system";
            EXPECT_NE(child.errorOutput().find("video"), std::string::npos) << child.errorOutput();
        }
        ChildProcess child(PROGRAM_PATH, args, dummyVideo, PICTURES_DIR);
        EXPECT_FALSE(child.waitFor(300, nullptr)) << shown << " should keep running";
        child.signal(SIGTERM); // arrives as a quit request
        int status = -2;
        ASSERT_TRUE(child.waitFor(5000, &status)) << shown;
        EXPECT_EQ(status, 0) << shown;
    }
}

} // namespace
