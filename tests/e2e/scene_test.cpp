// The first pass on a real X server: the backdrop, the cast in its places, then the rain.
#include "process.h"
#include "reference_picture.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Box {
    const char* name;
    int x, y, width, height;
    bool contains(int px, int py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};

class SceneOnScreenTest : public testing::Test {
  protected:
    XServer x;
    ReferencePicture backdrop{"001.gif"};
    std::vector<Box> cast;
    std::string shots = std::string(PICTURES_DIR) + "/e2e-shots/";

    void SetUp() override {
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
        ASSERT_TRUE(backdrop.loaded());
        const int basil = ReferencePicture("basil.gif").height();
        cast = {{"basil 0", 30, 470, 90, basil},
                {"basil 1", 560, 195, 90, basil},
                {"om", 100, 320, 180, ReferencePicture("om.gif").height()},
                {"egg", 650, 420, 70, ReferencePicture("egg.gif").height()}};
        mkdir(shots.c_str(), 0755);
    }

    bool inCast(int px, int py) const {
        for (const Box& b : cast)
            if (b.contains(px, py))
                return true;
        return false;
    }
    // Pixels of `box` (or, with no box, of the open sky and ground around the cast) that differ
    // from the backdrop, and how many were looked at.
    std::pair<int, int> changed(const XServer::Screenshot& shot, const Box* box) const {
        int differ = 0, looked = 0;
        for (int py = 0; py < 600; ++py)
            for (int px = 0; px < 800; ++px) {
                if (box ? !box->contains(px, py) : inCast(px, py))
                    continue;
                ++looked;
                differ += shot.at(px, py) != backdrop.rgbAt(px, py);
            }
        return {differ, looked};
    }
};

TEST_F(SceneOnScreenTest, BackdropAndCastFirstThenRainAfterHundredFifty) {
    ChildProcess program(PROGRAM_PATH, {}, {x.displayVariable()}, PICTURES_DIR);
    XServer::Screenshot shot;
    for (int waited = 0; waited < 10000; waited += 50) {
        shot = x.screenshot();
        if (shot.width == 800 && shot.at(400, 300) == backdrop.rgbAt(400, 300))
            break;
        sleepMs(50);
    }
    sleepMs(1000); // the clock near 15: everyone standing, no rain yet
    shot = x.screenshot();
    ASSERT_EQ(shot.width, 800);
    shot.savePpm(shots + "opening.ppm");

    const auto [stray, around] = changed(shot, nullptr);
    EXPECT_LT(stray, around / 1000) << "the backdrop shows whole around the cast, and no rain";
    for (const Box& b : cast) {
        const auto [differ, area] = changed(shot, &b);
        EXPECT_GT(differ, area / 10) << b.name << " is not drawn at its place";
        EXPECT_LT(differ, area) << b.name << " hides the whole backdrop behind it";
    }

    sleepMs(11500); // the clock past 160: the rain has its first target
    shot = x.screenshot();
    shot.savePpm(shots + "rain.ppm");
    const auto [wet, looked] = changed(shot, nullptr);
    EXPECT_GT(wet, 200) << "no rain after the clock passed 150 (" << looked << " pixels looked at)";

    EXPECT_TRUE(program.running());
    ASSERT_TRUE(x.xdotool({"key", "Escape"}));
    int status = -2;
    ASSERT_TRUE(program.waitFor(3000, &status));
    EXPECT_EQ(status, 0) << program.errorOutput();
}

// The fixture the multi-monitor tests stand on: the root spans both monitors, shown grey.
TEST(TwoMonitorServerTest, RootSpansBothMonitorsAndShowsGrey) {
    XServer x(XServer::twoMonitors);
    ASSERT_TRUE(x.ready()) << "Xvnc did not start, or did not take the layout";
    const XServer::Screenshot shot = x.screenshot();
    ASSERT_EQ(shot.width, 3200);
    ASSERT_EQ(shot.height, 1080);
    for (const XServer::Monitor& m : x.monitors())
        EXPECT_EQ(shot.at(m.x + m.width / 2, m.y + m.height / 2), XServer::rootGrey);
}

} // namespace
