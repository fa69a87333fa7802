// The web page in headless Chromium and Firefox, played by drive.mjs: the scene fills the
// middle of the page as the saver fills a screen and plays; the demo stops for good at Escape
// and offers to play again; the saver plays on through the input that would end the demo.
#include "install_support.h"
#include "process.h"
#include "reference_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

namespace {

// At 1280x720 the page scales the 800x600 scene 1.2 times to 960x720, centred.
constexpr int boxLeft = 160, boxRight = 1120, shotWidth = 1280, shotHeight = 720;
constexpr double boxScale = 1.2;
// Half a second of the play past its opening changes far more of the scene than this; a
// frozen scene changes none.
constexpr int playingChange = 960 * 720 / 1000;

XServer::Screenshot readShot(const std::string& file) {
    const ReferencePicture picture(file);
    XServer::Screenshot shot;
    shot.width = picture.width();
    shot.height = picture.height();
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            shot.pixels.push_back(picture.rgbAt(x, y));
    return shot;
}

// The pixels of columns [left, right) that `counts` picks.
template <typename Counts> int pixels(int left, int right, Counts counts) {
    int counted = 0;
    for (int y = 0; y < shotHeight; ++y)
        for (int x = left; x < right; ++x)
            counted += counts(x, y);
    return counted;
}

int changedInBox(const XServer::Screenshot& a, const XServer::Screenshot& b) {
    return pixels(boxLeft, boxRight, [&](int x, int y) { return a.at(x, y) != b.at(x, y); });
}

// result.txt's "key value" lines; the values of a key given again (the errors) gathered.
std::map<std::string, std::string> readResult(const std::string& file) {
    std::map<std::string, std::string> result;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const size_t space = std::min(line.find(' '), line.size());
        result[line.substr(0, space)] += "\n  " + line.substr(space);
    }
    for (auto& entry : result)
        entry.second.erase(0, 4);
    return result;
}

class BrowserTest : public testing::TestWithParam<std::string> {};

TEST_P(BrowserTest, DemoEndsAtEscapeSaverPlaysOn) {
    const std::string out = std::string(BUILD_DIR) + "/web-shots/" + GetParam();
    runCommand("rm -rf " + shellQuoted(out));
    ChildProcess driver(NODE_EXECUTABLE, {DRIVER_PATH, GetParam(), "file://" WEB_PAGE, out});
    int status = -1;
    ASSERT_TRUE(driver.waitFor(120000, &status)) << "the driver did not finish";
    ASSERT_EQ(status, 0) << driver.errorOutput();

    auto result = readResult(out + "/result.txt");
    std::printf("[ browser  ] %s: %s frames a second\n", result["browser"].c_str(),
                result["frames-per-second"].c_str());
    RecordProperty("frames_per_second", result["frames-per-second"]);
    EXPECT_EQ(result["errors"], "0") << result["error"];
    EXPECT_EQ(result["again-visible"], "1") << "no #again once the demo ended";

    std::map<std::string, XServer::Screenshot> shots;
    for (const char* name : {"shown", "later", "ended-1", "ended-2", "saver-1", "saver-2"}) {
        shots[name] = readShot(out + "/" + name + ".png");
        ASSERT_EQ(shots[name].width, shotWidth) << name;
        ASSERT_EQ(shots[name].height, shotHeight) << name;
    }

    const Backdrop backdrop(std::string(BUILD_DIR) + "/001.gif");
    ASSERT_TRUE(backdrop.loaded());
    EXPECT_GT(backdrop.worstQuarter(shots["shown"], boxLeft, 0, boxScale), 0.8)
        << "the scene is not 960x720 at +160+0";
    const XServer::Screenshot& shown = shots["shown"];
    const auto lit = [&](int x, int y) { return (shown.at(x, y) & 0xF0F0F0) != 0; };
    EXPECT_EQ(pixels(0, boxLeft, lit) + pixels(boxRight, shotWidth, lit), 0)
        << "the page is not black beside the scene";
    // The painter keeps every opaque colour clear of the key, black, so any black in the scene
    // is a sprite's background that was not keyed out.
    EXPECT_EQ(pixels(boxLeft, boxRight, [&](int x, int y) { return shown.at(x, y) == 0; }), 0)
        << "the sprites' key colour shows";

    const struct {
        const char *first, *second;
        bool plays;
        const char* fault;
    } pairs[] = {
        {"shown", "later", true, "the demo does not play"},
        {"ended-1", "ended-2", false, "the demo plays on after Escape"},
        {"saver-1", "saver-2", true, "the saver stopped at the mouse or Escape"},
    };
    for (const auto& pair : pairs) {
        const int changed = changedInBox(shots[pair.first], shots[pair.second]);
        if (pair.plays)
            EXPECT_GT(changed, playingChange) << pair.fault;
        else
            EXPECT_EQ(changed, 0) << pair.fault;
    }
}

INSTANTIATE_TEST_SUITE_P(Browsers, BrowserTest, testing::Values("chromium", "firefox"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

} // namespace
