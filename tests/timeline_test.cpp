// The play, cue by cue and pass by pass, with the clocks driven by hand.
#include "cast.h"
#include "catalogue.h"
#include "scene_fixture.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

bool same(const CAnimation& a, const CAnimation& b) {
    return a.startFrame == b.startFrame && a.endFrame == b.endFrame;
}

class TimelineTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        setUpCast();
    }
    CSprite& member(int index) { return se.sprites[index]; }
    bool plays(int index, const CAnimation& range) { return same(member(index).animation, range); }
};

TEST_F(TimelineTest, NothingHoldsAtTheStart) {
    scriptAt(0, 0);
    EXPECT_TRUE(plays(basil0, bStandRight));
    EXPECT_TRUE(plays(basil1, bStandLeft));
    EXPECT_TRUE(plays(om, omStand));
    EXPECT_TRUE(plays(egg, eggBuild0));
    EXPECT_EQ(dest.newCount, 0);
    EXPECT_EQ(cTime, 0.0f);
}

TEST_F(TimelineTest, PointCuesStartOnceAndCanBeSteppedOver) {
    scriptAt(80.0f, 80.0f);
    EXPECT_TRUE(plays(basil1, bSpeakLeft));
    EXPECT_EQ(member(basil1).curFrame, 33.0f);
    member(basil1).curFrame = 35.5f;
    scriptAt(80.9f, 80.9f);
    EXPECT_EQ(member(basil1).curFrame, 35.5f) << "later frames in [80, 81) do not restart it";

    // A slow frame from 79.9 to 81.1 misses the speech; the cue at 94 then changes nothing.
    se = CSpriteEngine();
    setUpCast();
    scriptAt(79.9f, 79.9f);
    scriptAt(81.1f, 81.1f);
    EXPECT_TRUE(plays(basil1, bStandLeft));
    member(basil1).curFrame = 12.5f;
    scriptAt(94.2f, 94.2f);
    EXPECT_EQ(member(basil1).curFrame, 12.5f);
}

TEST_F(TimelineTest, TheEggBuildsInTheFirstPassOnly) {
    scriptAt(100.0f, 100.0f);
    EXPECT_TRUE(plays(egg, eggBuild0)) << "the window's bounds are strict";
    scriptAt(100.5f, 100.5f);
    EXPECT_TRUE(plays(egg, eggBuild1));
    scriptAt(111.0f, 111.0f);
    EXPECT_TRUE(plays(egg, eggBuild1));
    scriptAt(111.01f, 111.01f);
    EXPECT_TRUE(plays(egg, eggStand));

    // In a later pass the second window undoes the first within the same frame.
    member(egg).playAnimation(eggBuild0);
    for (float clock : {0.0f, 50.0f, 100.5f, 105.0f}) {
        scriptAt(clock, 900.5f);
        EXPECT_TRUE(plays(egg, eggStand)) << clock;
        EXPECT_EQ(member(egg).curFrame, 13.0f) << clock;
    }
}

TEST_F(TimelineTest, SkippedWindowsLeaveTheEggWhereItWas) {
    scriptAt(99.9f, 99.9f);
    scriptAt(101.2f, 101.2f);
    EXPECT_TRUE(plays(egg, eggBuild0)) << "the build was stepped over";
    scriptAt(111.5f, 111.5f);
    EXPECT_TRUE(plays(egg, eggStand));

    member(egg).playAnimation(eggBuild1);
    scriptAt(110.9f, 110.9f);
    scriptAt(112.1f, 112.1f);
    EXPECT_TRUE(plays(egg, eggBuild1)) << "the stand was stepped over";
    scriptAt(130.0f, 130.0f);
    EXPECT_TRUE(plays(egg, eggPain));
}

TEST_F(TimelineTest, WalkStartsStrictlyAfterItsBoundAndStepsByTheHeldRate) {
    scriptAt(140.0f, 140.0f);
    EXPECT_TRUE(plays(basil1, bStandLeft));
    EXPECT_EQ(member(basil1).posX, 560.0f);

    scriptAt(140.01f, 140.01f);
    EXPECT_TRUE(plays(basil1, bMoveLeft));
    EXPECT_FLOAT_EQ(member(basil1).posX, 560.0f - 90.0f / 25.0f);

    // The script runs before the new rate is handed out: this frame's step uses the old one.
    member(basil1).updateFPS(30);
    cTime = cTimeR = 150.5f;
    last_tick = 1000;
    const float before = member(basil1).posX;
    frameAt(1010);
    EXPECT_FLOAT_EQ(member(basil1).posX, before - 3.0f);
    EXPECT_EQ(member(basil1).spriteFps, 100.0f);

    const float atEnd = member(basil1).posX;
    scriptAt(175.5f, 175.5f);
    EXPECT_TRUE(plays(basil1, bStandLeft));
    EXPECT_EQ(member(basil1).posX, atEnd) << "no step at 175";
}

const std::pair<const char*, CAnimation> catalogue[] = {
    {"bStandRight", bStandRight}, {"bStandLeft", bStandLeft},     {"bSpeakRight", bSpeakRight},
    {"bSpeakLeft", bSpeakLeft},   {"bRollR2L", bRollR2L},         {"bRollL2R", bRollL2R},
    {"bMoveRight", bMoveRight},   {"bMoveLeft", bMoveLeft},       {"bAttackRight", bAttackRight},
    {"omStand", omStand},         {"omPain", omPain},             {"eggBuild0", eggBuild0},
    {"eggBuild1", eggBuild1},     {"eggStand", eggStand},         {"eggPain", eggPain},
};

std::string nameOf(const CAnimation& range) {
    for (const auto& [name, r] : catalogue)
        if (same(r, range))
            return name;
    return "?";
}

TEST_F(TimelineTest, APassPlaysEveryActOnCueAndTheEggBuildsOnce) {
    std::map<int, std::vector<std::string>> acts;
    float leftWalkEnd = 0;
    float walked = member(basil1).posX;
    last_tick = 0;
    // 50 frames a second: the clocks move 0.26 units a frame.
    while (cTimeR < 520.0f) {
        CAnimation before[4];
        for (int m = 0; m < 4; ++m)
            before[m] = member(m).animation;
        const float clock = cTime;
        frameAt(fakeNow + 20);
        for (int m = 0; m < 4; ++m)
            if (!same(before[m], member(m).animation))
                acts[m].push_back(std::to_string(int(clock)) + " " + nameOf(member(m).animation));
        if (int(clock) == 175)
            leftWalkEnd = member(basil1).posX;
        const float x = member(basil1).posX;
        if (clock > 140.0f && clock < 175.0f && cTimeR < 400.0f) {
            EXPECT_FLOAT_EQ(x, walked - 90.0f / 50.0f) << "the left walk steps evenly, at " << clock;
        }
        if (int(clock) >= 315 && cTimeR < 400.0f + 140.0f) {
            EXPECT_EQ(x, 560.0f) << "back home from cue 29 on, at " << clock;
        }
        walked = x;
    }

    using Acts = std::vector<std::string>;
    EXPECT_EQ(acts[basil0], (Acts{"100 bAttackRight", "109 bStandRight", "200 bAttackRight",
                                  "209 bStandRight", "300 bAttackRight", "309 bStandRight",
                                  "100 bAttackRight", "109 bStandRight"}));
    EXPECT_EQ(acts[basil1],
              (Acts{"80 bSpeakLeft", "94 bStandLeft", "140 bMoveLeft", "175 bStandLeft",
                    "220 bRollL2R", "231 bStandRight", "280 bMoveRight", "315 bStandRight",
                    "350 bSpeakRight", "364 bStandRight", "380 bRollR2L", "391 bStandLeft",
                    "80 bSpeakLeft", "94 bStandLeft"}));
    EXPECT_EQ(acts[om], (Acts{"104 omPain", "116 omStand", "204 omPain", "216 omStand",
                              "304 omPain", "316 omStand", "104 omPain", "116 omStand"}));
    EXPECT_EQ(acts[egg], (Acts{"100 eggBuild1", "111 eggStand", "130 eggPain", "143 eggStand",
                               "230 eggPain", "243 eggStand", "330 eggPain", "343 eggStand"}))
        << "from the second pass on the egg stands";

    // 35 units at 90 pixels a second take the walker about 242 pixels, and back.
    EXPECT_NEAR(leftWalkEnd, 318.0f, 2.0f);
    EXPECT_EQ(member(basil1).posX, 560.0f);
    EXPECT_NEAR(cTime, 120.0f, 0.3f) << "the clock went back to 0 once, at 400";
}

TEST_F(TimelineTest, RainCueDrawsANewTargetOnEveryFrameAtHundredFifty) {
    std::srand(7);
    scriptAt(150.0f, 150.0f);
    scriptAt(150.4f, 150.4f);
    scriptAt(150.8f, 150.8f);
    scriptAt(151.0f, 151.0f);
    std::srand(7);
    std::rand();
    std::rand();
    EXPECT_EQ(dest.newCount, std::rand() % 999) << "the last of three draws stands";
}

TEST_F(TimelineTest, ThePassEndsEvenWhenAFrameStepsOverFourHundred) {
    scriptAt(399.6f, 399.6f);
    EXPECT_EQ(cTime, 399.6f);
    scriptAt(401.2f, 401.2f);
    EXPECT_EQ(cTime, 0.0f) << "a slow frame must not freeze the play";
    EXPECT_EQ(cTimeR, 401.2f);

    // Landing inside [400, 401): set back in that frame, then advanced as usual.
    cTime = cTimeR = 400.5f;
    last_tick = 0;
    frameAt(20);
    EXPECT_FLOAT_EQ(cTime, 0.26f);
    EXPECT_FLOAT_EQ(cTimeR, 400.76f);
}

} // namespace
