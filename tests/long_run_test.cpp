// A hundred passes of the play, through a wrap of the millisecond counter: everything stays
// within its bounds, the play starts over once a pass, and the loop never touches the heap.
#include "cast.h"
#include "scene_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#if !defined(__SANITIZE_ADDRESS__)
// Every allocation of the process, the C library's and SDL's included, passes through here.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
bool counting = false;
long allocations = 0;
} // namespace

extern "C" void* malloc(size_t n) {
    allocations += counting;
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
    allocations += counting;
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
    allocations += counting;
    return __libc_realloc(p, n);
}
constexpr bool heapWatched = true;
#else
namespace {
bool counting = false;
long allocations = 0;
} // namespace
constexpr bool heapWatched = false; // the sanitizer owns the allocator
#endif

namespace {

TEST_F(SceneTest, HundredPassesStayInBoundsWithoutAllocating) {
    setUpCast();
    dest.init(screen);

    last_tick = fakeNow = 4294967295u - 60000; // the counter wraps a minute in
    int passes = 0;
    float previousClock = 0;
    float previousRealClock = 0;
    unsigned frame = 0;
    counting = true;
    while (passes < 100) {
        // Uneven frames of 30 to 76 ms: every step stays under one scene unit.
        fakeNow += 30 + (frame++ * 37) % 47;
        runFrame();
        if (cTime < previousClock)
            ++passes;
        ASSERT_TRUE(std::isfinite(fps) && fps > 0) << frame;
        ASSERT_GE(cTime, 0.0f);
        ASSERT_LT(cTime, 401.0f);
        ASSERT_GT(cTimeR, previousRealClock);
        ASSERT_GE(dest.dropCount, 0);
        ASSERT_LE(dest.dropCount, 998);
        // He is set back on his mark once a pass, so no pass's rounding carries into the next.
        ASSERT_GE(se.sprites[basil1].posX, 318.0f - 15.0f);
        ASSERT_LE(se.sprites[basil1].posX, 560.0f + 15.0f);
        previousClock = cTime;
        previousRealClock = cTimeR;
    }
    counting = false;

    EXPECT_NEAR(cTimeR / 400.0f, 100.0f, 1.0f) << "the play starts over once every 400 units";
    EXPECT_LT(fakeNow, 4294967295u - 60000) << "the tick counter wrapped during the run";
    for (const CSprite& drop : dest.drops) {
        ASSERT_GE(drop.getPosX(), 0);
        ASSERT_LE(drop.getPosX(), 799);
        ASSERT_LE(drop.getPosY(), 600);
    }
    if (heapWatched) {
        EXPECT_EQ(allocations, 0) << "allocations inside the frame loop";
    }
}

// A night of the play, about eight and a half hours, with uneven frames of 1 to 76 ms: the
// walker's two walks never cancel exactly, yet every pass ends with him where he started.
TEST_F(SceneTest, TheWalkerIsBackOnHisMarkAfterEveryPassOfANight) {
    setUpCast();
    // The night is long and only the walker's place matters here, so nothing is drawn.
    for (CSprite& member : se.sprites)
        member.image = nullptr;

    int passes = 0;
    float previousClock = 0;
    float lowest = 560.0f;
    float highest = 560.0f;
    unsigned frame = 0;
    while (passes < 1000) {
        const unsigned slow = (frame * 2654435761u) >> 28;
        fakeNow += slow < 2 ? 1 + frame % 3 : 30 + (frame * 37) % 47;
        ++frame;
        runFrame();
        const float x = se.sprites[basil1].posX;
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
        if (cTime < previousClock) {
            ++passes;
            ASSERT_EQ(x, 560.0f) << "pass " << passes;
        }
        previousClock = cTime;
    }
    // Within a pass he still strays by that pass's own rounding, and no further.
    EXPECT_NEAR(lowest, 318.0f, 15.0f);
    EXPECT_NEAR(highest, 560.0f, 15.0f);
}

} // namespace
