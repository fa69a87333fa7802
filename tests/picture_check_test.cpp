// Broken pictures are refused before the loader sees them, with the reason as SDL's error.
#include "picture_check.h"
#include "pictures.h"
#include "spriteengine.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string writeBytes(const std::string& name, const std::string& bytes) {
    const std::string path = scratchPath(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Seeds 5 and 8 give junk that the loader never returns from.
std::string junk(size_t n, unsigned state) {
    std::string bytes;
    for (size_t i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(state >> 16));
    }
    return bytes;
}

std::string reasonFor(const std::string& path) {
    SDL_ClearError();
    EXPECT_FALSE(isCompleteGif(path.c_str())) << path;
    return SDL_GetError();
}

TEST(PictureCheckTest, WholeGifsPassAndEveryKindOfBrokenFileIsRefused) {
    const std::string good = writeStrip("good.gif", 3, 10, 12);
    EXPECT_TRUE(isCompleteGif(good.c_str()));
    const std::string whole = bytesOf(good);

    EXPECT_NE(reasonFor(scratchPath("absent.gif")).find("No such file"), std::string::npos);
    EXPECT_NE(reasonFor(writeBytes("empty.gif", "")), "");
    EXPECT_NE(reasonFor(writeBytes("cut.gif", whole.substr(0, whole.size() / 2))), "");
    EXPECT_NE(reasonFor(writeBytes("notrailer.gif", whole.substr(0, whole.size() - 1))), "");
    EXPECT_NE(reasonFor(writeBytes("text.gif", "just some words, no picture\n")).find("not a GIF"),
              std::string::npos);
    EXPECT_NE(reasonFor(writeBytes("junk.gif", "GIF89a" + junk(200, 5))), "");
    // A header and its colour table, then the trailer with no picture between them.
    EXPECT_NE(reasonFor(writeBytes("hollow.gif", whole.substr(0, 13 + 3 * 256) + ";")).find("without"),
              std::string::npos);
}

TEST(PictureCheckTest, SpriteSkipsAGifThatWouldHangTheLoader) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    SDL_Surface* screen = SDL_SetVideoMode(800, 600, 16, SDL_SWSURFACE);
    ASSERT_NE(screen, nullptr);
    for (unsigned seed : {5u, 8u}) {
        CSprite s;
        s.Init(writeBytes("spin.gif", "GIF89a" + junk(200, seed)).c_str(), 0, 0, screen);
        EXPECT_EQ(s.image, nullptr);
        s.draw();
    }
    SDL_Quit();
}

} // namespace
