// The sprite as a viewer sees it: which frame shows, where, and in which colours.
#include "pictures.h"
#include "screen.h"
#include "spriteengine.h"

#include <cmath>
#include <limits>

namespace {

constexpr Uint32 blue = 0x0000F8;
constexpr Uint32 red = 0xF80000;

class SpriteTest : public ScreenTest {
  protected:
    // A strip of ten 10x10 frames, each its own colour.
    CSprite strip(int frames = 10) {
        CSprite s;
        s.Init(writeStrip("strip.gif", frames, 10, 10).c_str(), 0, 0, screen);
        return s;
    }
    int frameOnScreen() { return frameShownAt(screen, 0, 0); }
};

// Every field the frame logic may touch, for before/after comparisons.
void expectSameState(const CSprite& a, const CSprite& b) {
    EXPECT_EQ(a.animated, b.animated);
    EXPECT_EQ(a.frameWidth, b.frameWidth);
    EXPECT_EQ(a.frames.startFrame, b.frames.startFrame);
    EXPECT_EQ(a.frames.endFrame, b.frames.endFrame);
    EXPECT_EQ(a.animation.startFrame, b.animation.startFrame);
    EXPECT_EQ(a.animation.endFrame, b.animation.endFrame);
    EXPECT_EQ(a.curFrame, b.curFrame);
}

TEST_F(SpriteTest, DefaultsAndInitKeepOtherSettings) {
    CSprite s;
    EXPECT_EQ(s.image, nullptr);
    EXPECT_EQ(s.alpha, 255);
    EXPECT_EQ(s.animSpeed, 1.0f);
    EXPECT_EQ(s.moveSpeed, 1.0f);
    EXPECT_EQ(s.spriteFps, 25.0f);

    s.setLayer(7);
    s.setAnimSpeed(13);
    s.setPatternColor(true, 1, 2, 3);
    s.Init(writeStrip("a.gif", 2, 10, 10).c_str(), 12, 34, screen);
    ASSERT_NE(s.image, nullptr);
    EXPECT_EQ(s.image->format->BitsPerPixel, 16) << "converted to the display format";
    EXPECT_EQ(s.getPosX(), 12);
    EXPECT_EQ(s.getPosY(), 34);
    EXPECT_EQ(s.target, screen);
    EXPECT_EQ(s.layer, 7);
    EXPECT_EQ(s.animSpeed, 13.0f);
    EXPECT_TRUE(s.usePattern);
    EXPECT_EQ(s.pattern.getB(), 3);
}

TEST_F(SpriteTest, SetAnimationMeasuresTheStripOrRefusesAndChangesNothing) {
    CSprite s = strip(10); // 100 pixels wide
    s.setAnimation(true, 10);
    EXPECT_TRUE(s.animated);
    EXPECT_EQ(s.frames.endFrame, 9);
    EXPECT_EQ(s.animation.endFrame, 9);

    s.playAnimation(CAnimation(3, 6));
    s.curFrame = 4.5f;
    const CSprite before = s;
    for (int width : {30, 100, 150, 0, -10}) {
        s.setAnimation(false, width);
        expectSameState(s, before);
    }

    CSprite off = strip(10);
    off.setAnimation(true, 100); // one frame cannot be animated
    EXPECT_FALSE(off.animated);
}

TEST_F(SpriteTest, PlayAnimationRestartsOnlyForAnotherRange) {
    CSprite s = strip();
    s.setAnimation(true, 10);
    s.playAnimation(CAnimation(2, 6));
    EXPECT_EQ(s.curFrame, 2.0f);
    s.curFrame = 4.25f;
    s.playAnimation(CAnimation(2, 6));
    EXPECT_EQ(s.curFrame, 4.25f) << "the range playing already runs on";
    s.playAnimation(CAnimation(2, 7));
    EXPECT_EQ(s.curFrame, 2.0f) << "same start, other end: a new range";
    EXPECT_EQ(s.animation.endFrame, 7);
}

TEST_F(SpriteTest, FramesAdvanceShowTheEndOnceThenStartOver) {
    CSprite s = strip();
    s.setAnimation(true, 10);
    s.setAnimSpeed(13);
    s.updateFPS(26); // half a frame per draw
    s.playAnimation(CAnimation(2, 4));

    std::vector<int> shown;
    for (int i = 0; i < 8; ++i) {
        s.draw();
        shown.push_back(frameOnScreen());
    }
    EXPECT_EQ(shown, (std::vector<int>{2, 3, 3, 4, 2, 2, 3, 3}));
}

TEST_F(SpriteTest, StillRangeAndInfiniteRateHoldTheFrame) {
    CSprite s = strip();
    s.setAnimation(true, 10);
    s.setAnimSpeed(13);
    s.updateFPS(1);
    s.playAnimation(CAnimation(0, 0));
    for (int i = 0; i < 3; ++i) {
        s.draw();
        EXPECT_EQ(frameOnScreen(), 0);
    }

    s.playAnimation(CAnimation(1, 5));
    s.updateFPS(std::numeric_limits<float>::infinity());
    s.draw();
    EXPECT_EQ(s.curFrame, 1.0f);
    EXPECT_EQ(frameOnScreen(), 1);

    s.curFrame = 5.0f; // at the end: reset even with a zero step
    s.draw();
    EXPECT_EQ(s.curFrame, 1.0f);
}

TEST_F(SpriteTest, StepsAreFormedInDoublePrecision) {
    // Values chosen so that rounding the quotient to float first gives another result.
    const float speed = 1.0f, rate = 6.0f, start = 0.3f;
    const float once = static_cast<float>(double(start) + double(speed) / double(rate));
    const float twice = start + speed / rate;
    ASSERT_NE(once, twice);

    CSprite s;
    s.setMoveSpeed(speed);
    s.updateFPS(rate);
    s.posX = start;
    s.moveRight();
    EXPECT_EQ(s.posX, once);
    s.posY = start;
    s.moveDown();
    EXPECT_EQ(s.posY, once);
    s.moveUp();
    s.moveLeft();
    EXPECT_NEAR(s.posY, start, 1e-5);

    s.updateFPS(std::numeric_limits<float>::infinity());
    s.moveTo(3, 4);
    s.moveLeft();
    EXPECT_EQ(s.posX, 3.0f) << "an infinite rate makes a zero step";
}

TEST_F(SpriteTest, PositionsAreTruncatedTowardZero) {
    CSprite s;
    s.Init(writePicture("dot.gif", 2, 1, [](int, int) { return red; }).c_str(), 0, 0, screen);
    fill(screen, blue);
    s.posX = 799.9f;
    s.posY = -0.5f;
    s.draw();
    EXPECT_TRUE(showsColour(screen, 799, 0, red));
    EXPECT_TRUE(showsColour(screen, 798, 0, blue));
    EXPECT_EQ(s.getPosY(), 0);

    s.posY = 580.99f;
    EXPECT_EQ(s.getPosY(), 580);
    s.posX = -1.5f;
    EXPECT_EQ(s.getPosX(), -1);
}

TEST_F(SpriteTest, FarOffPositionsDrawNothingInsteadOfWrapping) {
    CSprite s;
    s.Init(writePicture("dot.gif", 2, 2, [](int, int) { return red; }).c_str(), 0, 0, screen);
    fill(screen, blue);
    s.posX = 65536.0f + 10.0f; // would land on column 10 if the coordinate wrapped
    s.posY = 10.0f;
    s.draw();
    EXPECT_TRUE(showsColour(screen, 10, 10, blue));
}

TEST_F(SpriteTest, BlackIsKeyedOutOtherColoursAreDrawn) {
    const ColourAt halfBlack = [](int x, int) { return x < 5 ? 0x000000u : red; };
    CSprite keyed;
    keyed.Init(writePicture("half.gif", 10, 10, halfBlack).c_str(), 0, 0, screen);
    keyed.setPatternColor(true, 0x100, 0x200, 0x300); // only the low bytes count: black
    fill(screen, blue);
    keyed.draw();
    EXPECT_TRUE(showsColour(screen, 2, 2, blue));
    EXPECT_TRUE(showsColour(screen, 7, 2, red));

    CSprite plain;
    plain.Init(writePicture("half2.gif", 10, 10, halfBlack).c_str(), 0, 0, screen);
    fill(screen, blue);
    plain.draw();
    EXPECT_TRUE(showsColour(screen, 2, 2, 0x000000));
}

TEST_F(SpriteTest, AlphaAppliesOnlyWhileAnimated) {
    CSprite still;
    still.Init(writePicture("red.gif", 10, 10, [](int, int) { return red; }).c_str(), 0, 0, screen);
    still.setAlpha(0);
    fill(screen, blue);
    still.draw();
    EXPECT_TRUE(showsColour(screen, 5, 5, red)) << "drawn whole and opaque";

    CSprite faded = strip(2);
    faded.setAnimation(true, 10);
    faded.setAlpha(0x100); // low byte 0: fully transparent
    fill(screen, blue);
    faded.draw();
    EXPECT_TRUE(showsColour(screen, 5, 5, blue));
}

TEST_F(SpriteTest, AlphaBelowOpaqueBlendsOpaqueIsAKeyedCopy) {
    // Two frames: black keyed out on the left of each, red on the right.
    const ColourAt keyedRed = [](int x, int) { return x % 10 < 5 ? 0x000000u : red; };
    CSprite s;
    s.Init(writePicture("keyed.gif", 20, 10, keyedRed).c_str(), 0, 0, screen);
    s.setPatternColor(true, 0, 0, 0);
    s.setAnimation(true, 10);
    s.playAnimation(CAnimation(0, 0));

    for (int alpha : {255, 128, 255}) {
        s.setAlpha(alpha);
        fill(screen, blue);
        s.draw();
        EXPECT_TRUE(showsColour(screen, 2, 2, blue)) << alpha << ": the key still applies";
        Uint8 r, g, b;
        SDL_GetRGB(pixelAt(screen, 7, 2), screen->format, &r, &g, &b);
        if (alpha == 255) {
            EXPECT_TRUE(showsColour(screen, 7, 2, red)) << "opaque after a blend, too";
        } else {
            EXPECT_NEAR(r, 0x7C, 8) << "half red over blue";
            EXPECT_NEAR(b, 0x7C, 8);
        }
    }
}

TEST_F(SpriteTest, AMissingPictureLeavesNoneAndIsNeverDrawn) {
    CSprite s = strip();
    s.setAnimation(true, 10);
    s.Init("no-such-picture.gif", 0, 0, screen);
    EXPECT_EQ(s.image, nullptr) << "the picture held before is not drawn in its place";
    EXPECT_NE(std::string(SDL_GetError()).find("No such file"), std::string::npos)
        << SDL_GetError();

    fill(screen, blue);
    s.setAnimation(true, 5);
    s.draw();
    EXPECT_TRUE(showsColour(screen, 0, 0, blue));
    EXPECT_EQ(s.frameWidth, 10);
}

} // namespace
