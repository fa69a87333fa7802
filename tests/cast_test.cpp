// The cast as set up: who stands where in the sprite engine, and what carried over.
#include "cast.h"
#include "catalogue.h"
#include "pictures.h"
#include "scene_fixture.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

void expectRange(const CAnimation& playing, const CAnimation& range) {
    EXPECT_EQ(playing.startFrame, range.startFrame);
    EXPECT_EQ(playing.endFrame, range.endFrame);
}

TEST_F(SceneTest, CastStandsInIndexOrderWithItsSettings) {
    setUpCast();
    ASSERT_EQ(se.lastIndex, 4);
    struct Member {
        int x, y, layer, width, frameWidth;
        CAnimation range;
        float firstFrame;
    } expected[] = {
        {30, 470, 30, 12060, 90, bStandRight, 0},
        {560, 195, 30, 12060, 90, bStandLeft, 9},
        {100, 320, 40, 2520, 180, omStand, 0},
        {650, 420, 40, 1820, 70, eggBuild0, 0},
    };
    for (int i = 0; i < 4; ++i) {
        const CSprite& s = se.sprites[i];
        const Member& m = expected[i];
        SCOPED_TRACE("member " + std::to_string(i));
        ASSERT_NE(s.image, nullptr);
        EXPECT_EQ(s.getPosX(), m.x);
        EXPECT_EQ(s.getPosY(), m.y);
        EXPECT_EQ(s.layer, m.layer);
        EXPECT_EQ(s.image->w, m.width);
        EXPECT_TRUE(s.animated);
        EXPECT_EQ(s.frameWidth, m.frameWidth);
        EXPECT_EQ(s.frames.endFrame, m.width / m.frameWidth - 1);
        expectRange(s.animation, m.range);
        EXPECT_EQ(s.curFrame, m.firstFrame);
        EXPECT_TRUE(s.usePattern);
        EXPECT_EQ(s.animSpeed, 13.0f);
        EXPECT_EQ(s.moveSpeed, 90.0f) << "om and the egg keep the walker's speed";
        EXPECT_EQ(s.alpha, 255);
        EXPECT_EQ(s.spriteFps, 25.0f);
        EXPECT_EQ(s.target, screen);
    }
    EXPECT_NE(se.sprites[basil0].image, se.sprites[basil1].image) << "each loads its own copy";

    const CSprite& back = se.sprites[backdrop];
    ASSERT_NE(back.image, nullptr);
    EXPECT_EQ(back.layer, 50);
    EXPECT_EQ(back.image->w, 800);
    EXPECT_EQ(back.image->h, 600);
    EXPECT_FALSE(back.animated);
    EXPECT_FALSE(back.usePattern);
    EXPECT_EQ(back.moveSpeed, 1.0f);
}

TEST_F(SceneTest, FirstFramePaintsTheBackdropUnderTheCast) {
    setUpCast();
    fill(screen, 0x00FC00);
    frameAt(20);
    // The backdrop covers every corner; the green fill survives nowhere.
    for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}, {400, 300}})
        EXPECT_FALSE(showsColour(screen, x, y, 0x00FC00)) << x << "," << y;
}

// A picture that does not divide into frames leaves the animation of the member before.
TEST_F(SceneTest, UndividedCharacterPictureKeepsTheCarriedOverStrip) {
    const std::string folder = scratchPath("undivided/");
    ASSERT_EQ(system(("mkdir -p " + folder + " && cp basil.gif " + folder).c_str()), 0);
    const std::string wide = writePicture("wide.gif", 100, 50, [](int, int) { return 0xF80000; });
    ASSERT_EQ(std::rename(wide.c_str(), (folder + "om.gif").c_str()), 0);
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    setUpCast();
    ASSERT_EQ(chdir(here), 0);

    const CSprite& omSprite = se.sprites[om];
    ASSERT_NE(omSprite.image, nullptr);
    EXPECT_TRUE(omSprite.animated);
    EXPECT_EQ(omSprite.frameWidth, 90);
    EXPECT_EQ(omSprite.frames.endFrame, 133);
    expectRange(omSprite.animation, omStand);
    EXPECT_EQ(se.sprites[egg].image, nullptr) << "the egg's picture is missing there";
}

} // namespace
