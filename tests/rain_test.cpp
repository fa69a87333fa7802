// The rain: the pool's set-up, the count's drift, falling and coming back to the top.
#include "pictures.h"
#include "scene_fixture.h"

#include <SDL_image.h>

#include <cstdlib>
#include <cstring>

namespace {

class RainTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        dest.init(screen);
    }
    CSprite& drop(int i) { return dest.drops[i]; }
    // Whether drop i fell during the last run.
    std::vector<float> heights() {
        std::vector<float> y;
        for (const CSprite& d : dest.drops)
            y.push_back(d.posY);
        return y;
    }
    int fallen(const std::vector<float>& before) {
        int count = 0;
        for (int i = 0; i < CDest::poolSize; ++i)
            count += drop(i).posY != before[i];
        return count;
    }
};

SDL_Surface* converted(const char* file) {
    SDL_Surface* loaded = IMG_Load(file);
    SDL_Surface* shown = loaded ? SDL_DisplayFormat(loaded) : nullptr;
    SDL_FreeSurface(loaded);
    return shown;
}

bool samePixels(SDL_Surface* a, SDL_Surface* b) {
    return a->w == b->w && a->h == b->h &&
           std::memcmp(a->pixels, b->pixels, static_cast<size_t>(a->pitch) * a->h) == 0;
}

TEST_F(RainTest, SetUpDrawsFourNumbersPerDropInOrder) {
    SDL_Surface* streak = converted("kapka.gif");
    SDL_Surface* round = converted("kapka2.gif");
    ASSERT_TRUE(streak && round);
    ASSERT_FALSE(samePixels(streak, round)) << "the two drop pictures must differ";

    std::srand(1);
    for (int i = 0; i < CDest::poolSize; ++i) {
        const int x = std::rand() % 800;
        const int y = std::rand() % 400;
        const float speed = float(std::rand() % 300 + 270);
        SDL_Surface* picture = std::rand() % 2 == 0 ? streak : round;
        const CSprite& d = drop(i);
        ASSERT_EQ(d.getPosX(), x) << i;
        ASSERT_EQ(d.getPosY(), y) << i;
        ASSERT_EQ(d.moveSpeed, speed) << i;
        ASSERT_TRUE(samePixels(d.image, picture)) << i;
        ASSERT_TRUE(d.usePattern && d.animated) << i;
        ASSERT_EQ(d.frameWidth, 5);
        ASSERT_EQ(d.animation.endFrame, 0);
    }
    EXPECT_NE(drop(0).image, drop(1).image) << "every drop loads its own copy";
    EXPECT_EQ(dest.dropCount, 0);
    EXPECT_EQ(dest.newCount, 0);

    SDL_FreeSurface(streak);
    SDL_FreeSurface(round);

    const auto before = heights();
    dest.run(50);
    EXPECT_EQ(fallen(before), 0);
    EXPECT_EQ(dest.dropCount, 0);
}

TEST_F(RainTest, CountDriftsOneStepPerRunAndStoppedDropsKeepTheirPlace) {
    dest.setNewCount(3);
    const int expectedFalling[] = {0, 1, 2, 3, 3};
    for (int falling : expectedFalling) {
        const auto before = heights();
        dest.run(50);
        EXPECT_EQ(fallen(before), falling);
    }
    EXPECT_EQ(dest.dropCount, 3);

    dest.dropCount = 10;
    dest.setNewCount(7);
    for (int falling : {10, 9, 8, 7}) {
        const auto before = heights();
        dest.run(50);
        EXPECT_EQ(fallen(before), falling);
    }
    const float stopped = drop(9).posY;
    dest.run(50);
    EXPECT_EQ(drop(9).posY, stopped);
    EXPECT_EQ(drop(9).spriteFps, 50.0f) << "a stopped drop keeps the rate it held";
}

TEST_F(RainTest, DropsFallByTheRateOfTheFrameBefore) {
    drop(0).moveTo(100, 100);
    drop(0).setMoveSpeed(270);
    dest.dropCount = dest.newCount = 1;
    dest.run(1000);
    EXPECT_FLOAT_EQ(drop(0).posY, 110.8f) << "the first frame falls at the held 25 a second";
    dest.run(10);
    EXPECT_FLOAT_EQ(drop(0).posY, 111.07f);
    dest.run(std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(drop(0).posY, 138.07f);
    dest.run(50);
    EXPECT_FLOAT_EQ(drop(0).posY, 138.07f) << "an infinite rate makes the next step zero";
}

TEST_F(RainTest, DropsPastRow580ComeBackNearTheTop) {
    dest.dropCount = dest.newCount = 1;
    drop(0).setMoveSpeed(0);
    drop(0).posX = 333;
    drop(0).posY = 580.9f;
    dest.run(50);
    EXPECT_EQ(drop(0).posY, 580.9f) << "row 580 itself is still on the way down";

    drop(0).posY = 581.0f;
    std::srand(5);
    const int x = std::rand() % 800;
    const int y = std::rand() % 50;
    const float speed = float(std::rand() % 100 + 250);
    std::srand(5);
    dest.run(50);
    EXPECT_EQ(drop(0).getPosX(), x);
    EXPECT_EQ(drop(0).getPosY(), y);
    EXPECT_EQ(drop(0).moveSpeed, speed);

    for (int i = 0; i < 300; ++i) {
        drop(0).posY = 600;
        dest.run(50);
        ASSERT_GE(drop(0).getPosX(), 0);
        ASSERT_LE(drop(0).getPosX(), 799);
        ASSERT_LE(drop(0).getPosY(), 49);
        ASSERT_GE(drop(0).moveSpeed, 250.0f);
        ASSERT_LE(drop(0).moveSpeed, 349.0f);
    }
}

TEST_F(RainTest, DropsAreDrawnBeforeTheyMoveAndOnlyTheirFirstFrameShows) {
    fill(screen, 0x000000);
    dest.dropCount = dest.newCount = 1;
    drop(0).moveTo(400, 300);
    dest.run(50);
    bool drawnAtOldPlace = false;
    for (int x = 400; x < 405; ++x)
        for (int y = 300; y < 300 + drop(0).image->h; ++y)
            drawnAtOldPlace |= pixelAt(screen, x, y) != 0;
    EXPECT_TRUE(drawnAtOldPlace);
    for (int x = 405; x < 420; ++x)
        for (int y = 290; y < 330; ++y)
            ASSERT_EQ(pixelAt(screen, x, y), 0u) << "only the leftmost 5 columns are shown";
}

TEST_F(RainTest, TargetsOutsideThePoolArePinnedToIt) {
    dest.setNewCount(5000);
    EXPECT_EQ(dest.newCount, 1000);
    dest.dropCount = 999;
    dest.run(50);
    dest.run(50);
    EXPECT_EQ(dest.dropCount, 1000);
    dest.setNewCount(-3);
    EXPECT_EQ(dest.newCount, 0);
}

} // namespace
