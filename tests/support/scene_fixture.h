// A fixture that opens the program's own video mode on the dummy driver, resets the scene's
// globals and drives the millisecond clock by hand.
#pragma once

#include "scene.h"

#include <gtest/gtest.h>

// The time the fed clock reads, in milliseconds.
extern Uint32 fakeNow;
Uint32 fakeTicks();

class SceneTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One frame whose measurement reads `now`.
    void frameAt(Uint32 now) {
        fakeNow = now;
        runFrame();
    }
    // Sets both clocks and runs the script alone.
    void scriptAt(float clock, float realClock);
};
