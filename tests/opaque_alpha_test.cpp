// The opaque alpha the scene's animated draws ask for: leaving it off the pictures draws the same
// screens as giving it to them, frame after frame of the play.
#include "cast.h"
#include "pictures.h"
#include "scene_fixture.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int frames = 2000; // over three passes of the play

// The characters' strips and the whole pool of drops: every picture an animated draw blits.
std::vector<SDL_Surface*> animatedPictures() {
    std::vector<SDL_Surface*> pictures;
    for (const CSprite& member : se.sprites)
        if (member.animated)
            pictures.push_back(member.image);
    for (const CSprite& drop : dest.drops)
        pictures.push_back(drop.image);
    return pictures;
}

bool carriesOpaqueAlpha(const SDL_Surface* picture) {
    return (picture->flags & SDL_SRCALPHA) && picture->format->alpha == SDL_ALPHA_OPAQUE;
}

class OpaqueAlphaTest : public SceneTest {
  protected:
    // A fresh play of uneven frames, one hash of the screen per frame. With `forced`, every
    // animated picture is given the opaque alpha before the first draw, as every draw used to.
    void play(bool forced, std::vector<size_t>* screens) {
        TearDown();
        ASSERT_NO_FATAL_FAILURE(SetUp());
        setUpCast();
        dest.init(screen);
        for (SDL_Surface* picture : animatedPictures()) {
            ASSERT_NE(picture, nullptr);
            if (forced)
                SDL_SetAlpha(picture, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
        }
        int mostDrops = 0;
        for (int frame = 0; frame < frames; ++frame) {
            frameAt(fakeNow + 30 + (frame * 37) % 47);
            screens->push_back(surfaceHash(screen));
            mostDrops = std::max(mostDrops, dest.dropCount);
        }
        EXPECT_GT(mostDrops, 500) << "the rain was drawn heavily at some point";
        // Each run really drew the way it is meant to compare.
        for (SDL_Surface* picture : animatedPictures())
            ASSERT_EQ(carriesOpaqueAlpha(picture), forced);
    }
};

TEST_F(OpaqueAlphaTest, ScreensMatchThoseDrawnWithTheAlphaGiven) {
    // The second registration of these tests names the folder its SDL must come from.
    if (const char* folder = std::getenv("SDL_RUNTIME_DIR")) {
        Dl_info library{};
        ASSERT_NE(dladdr(reinterpret_cast<void*>(&SDL_Init), &library), 0);
        EXPECT_EQ(std::string(library.dli_fname).rfind(folder, 0), 0u) << library.dli_fname;
    }

    std::vector<size_t> left;
    std::vector<size_t> given;
    ASSERT_NO_FATAL_FAILURE(play(false, &left));
    ASSERT_NO_FATAL_FAILURE(play(true, &given));
    ASSERT_EQ(left.size(), given.size());
    for (size_t frame = 0; frame < left.size(); ++frame)
        ASSERT_EQ(left[frame], given[frame]) << "the screens part at frame " << frame;
}

} // namespace
