#include "scene_fixture.h"

#include "timeline.h"

#include <cstdlib>

Uint32 fakeNow;
Uint32 fakeTicks() { return fakeNow; }

void SceneTest::SetUp() {
    ASSERT_TRUE(openScreen());
    se = CSpriteEngine();
    sprite = CSprite();
    dest = CDest();
    done = false;
    fps = 0;
    last_tick = 0;
    cTime = 0;
    cTimeR = 0;
    fakeNow = 0;
    tickSource = fakeTicks;
    std::srand(1);
}

void SceneTest::TearDown() {
    tickSource = SDL_GetTicks;
    SDL_Quit();
}

void SceneTest::scriptAt(float clock, float realClock) {
    cTime = clock;
    cTimeR = realClock;
    runTimeline();
}
