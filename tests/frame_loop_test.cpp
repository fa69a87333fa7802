// One frame of the loop: the measured rate, the clocks, and when the program ends.
#include "pictures.h"
#include "scene_fixture.h"

#include <cmath>

namespace {

constexpr Uint32 red = 0xF80000;
constexpr Uint32 blue = 0x0000F8;

class FrameLoopTest : public SceneTest {
  protected:
    // A red square in the cast, so a test can see that the frame was drawn.
    void castARedSquare() {
        CSprite s;
        s.Init(writePicture("red.gif", 20, 20, [](int, int) { return red; }).c_str(), 0, 0, screen);
        se.addSprite(s);
        fill(screen, blue);
    }
    bool frameWasDrawn() { return showsColour(screen, 10, 10, red); }
    void push(SDL_EventType type, SDLKey key = SDLK_UNKNOWN) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = key;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
};

TEST_F(FrameLoopTest, RateComesFromTheUnsignedMillisecondInterval) {
    struct Case {
        Uint32 previous, now;
        float rate, clock;
    } cases[] = {
        {0, 20, 50.0f, 0.26f},
        {0, 1000, 1.0f, 13.0f},
        {0, 500, 2.0f, 6.5f}, // a first frame after half a second of start-up
        {4294967291u, 5, 100.0f, 0.13f}, // the counter wrapped
    };
    for (const Case& c : cases) {
        last_tick = c.previous;
        cTime = cTimeR = 0;
        frameAt(c.now);
        EXPECT_EQ(fps, c.rate) << c.previous << " -> " << c.now;
        EXPECT_EQ(cTime, c.clock);
        EXPECT_EQ(cTimeR, c.clock);
        EXPECT_EQ(last_tick, c.now);
    }

    cTime = cTimeR = 12.5f;
    last_tick = 700;
    frameAt(700);
    EXPECT_TRUE(std::isinf(fps) && fps > 0);
    EXPECT_EQ(cTime, 12.5f) << "a frame within the same millisecond leaves the clocks";
    EXPECT_EQ(cTimeR, 12.5f);
}

TEST_F(FrameLoopTest, LastTickIsAFreshSecondReading) {
    static Uint32 reading;
    reading = 100;
    tickSource = [] { return reading++; };
    runFrame();
    EXPECT_EQ(fps, 10.0f);
    EXPECT_EQ(last_tick, 101u);
}

TEST_F(FrameLoopTest, EscapeAndQuitEndTheProgramAfterTheFrameIsShown) {
    castARedSquare();
    for (SDL_EventType type : {SDL_KEYDOWN, SDL_QUIT}) {
        done = false;
        cTime = 5;
        fill(screen, blue);
        push(type, SDLK_ESCAPE);
        push(SDL_QUIT);
        frameAt(fakeNow + 100);
        EXPECT_TRUE(done);
        EXPECT_TRUE(frameWasDrawn());
        EXPECT_FLOAT_EQ(cTime, 6.3f) << "the clocks still advance";

        SDL_Event behind;
        EXPECT_EQ(SDL_PollEvent(&behind), 1) << "events behind the one that ended stay queued";
        EXPECT_EQ(behind.type, SDL_QUIT);
    }
}

TEST_F(FrameLoopTest, OtherKeysReleasesAndButtonsDoNotEndIt) {
    push(SDL_KEYDOWN, SDLK_SPACE);
    push(SDL_KEYUP, SDLK_ESCAPE);
    push(SDL_MOUSEBUTTONDOWN);
    push(SDL_MOUSEBUTTONUP);
    cTime = 50;
    frameAt(20);
    EXPECT_FALSE(done);
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0) << "every event was consumed";
}

TEST_F(FrameLoopTest, MouseMotionCountsOnlyAboveThirtyAndIsNotRemembered) {
    castARedSquare();
    SDL_WarpMouse(100, 100);
    frameAt(10); // consumes the warp to the start position
    ASSERT_FALSE(done);

    cTime = 30.0f;
    SDL_WarpMouse(150, 120);
    frameAt(11); // 1 ms: the clocks move on by 13
    EXPECT_FALSE(done) << "motion at 30 is read and dropped";

    cTime = 31.0f;
    frameAt(12);
    EXPECT_FALSE(done) << "the dropped motion is not remembered";

    cTime = 30.01f;
    fill(screen, blue);
    SDL_WarpMouse(160, 130);
    frameAt(13);
    EXPECT_TRUE(done);
    EXPECT_TRUE(frameWasDrawn());
}

} // namespace
