// The giflib loader that stands in for SDL_image on Windows makes the very surface SDL_image
// makes of every picture the gate lets through: size, format, palette, colour key and pixels.
#include "gif_bytes.h"
#include "gif_surface.h"
#include "picture_gate.h"
#include "pictures.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

using namespace gifbytes;

std::vector<std::string> pictureFiles() {
    std::vector<std::string> files = {"001.gif", "basil.gif", "om.gif",
                                      "egg.gif", "kapka.gif", "kapka2.gif"};
    const std::vector<int> pixels = {0, 1, 2, 3, 3, 2, 1, 0};
    std::vector<int> rows;
    for (int i = 0; i < 4 * 9; ++i)
        rows.push_back(i / 4 % 4);
    const std::pair<const char*, std::string> made[] = {
        {"keyed.gif", header(4, 2, 4) + graphicControl(2) +
                          imageDescriptor(4, 2) + pixelData(literalCodes(pixels, 2), 2) + ';'},
        {"own-table.gif", header(4, 2, 4) + imageDescriptor(4, 2, false, 8) +
                              pixelData(compressedCodes(pixels, 3), 3) + ';'},
        {"no-file-table.gif", header(4, 2, 0) + graphicControl(0) +
                                  imageDescriptor(4, 2, false, 2) +
                                  pixelData(literalCodes({0, 1, 1, 0, 1, 0, 0, 1}, 2), 2) + ';'},
        {"interlaced.gif", picture(4, 9, compressedCodes(rows, 2), true)},
        {"odd-width.gif", picture(7, 1, literalCodes({3, 2, 1, 0, 1, 2, 3}, 2))},
    };
    for (const auto& [name, bytes] : made) {
        files.push_back(scratchPath(name));
        std::ofstream(files.back(), std::ios::binary) << bytes;
    }
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_REGRESSIONS_DIR))
        files.push_back(entry.path().string());
    return files;
}

void expectSameSurface(SDL_Surface* theirs, SDL_Surface* ours) {
    ASSERT_NE(theirs, nullptr) << IMG_GetError();
    ASSERT_NE(ours, nullptr) << SDL_GetError();
    ASSERT_EQ(ours->w, theirs->w);
    ASSERT_EQ(ours->h, theirs->h);
    ASSERT_EQ(ours->pitch, theirs->pitch);
    EXPECT_EQ(ours->flags, theirs->flags);
    const SDL_PixelFormat& a = *theirs->format;
    const SDL_PixelFormat& b = *ours->format;
    EXPECT_EQ(b.BitsPerPixel, a.BitsPerPixel);
    EXPECT_EQ(b.colorkey, a.colorkey);
    EXPECT_EQ(b.alpha, a.alpha);
    ASSERT_TRUE(a.palette && b.palette);
    ASSERT_EQ(b.palette->ncolors, a.palette->ncolors);
    for (int i = 0; i < a.palette->ncolors; ++i) {
        const SDL_Color& x = a.palette->colors[i];
        const SDL_Color& y = b.palette->colors[i];
        EXPECT_TRUE(x.r == y.r && x.g == y.g && x.b == y.b) << "palette entry " << i;
    }
    for (int y = 0; y < theirs->h; ++y)
        ASSERT_EQ(std::memcmp(static_cast<Uint8*>(ours->pixels) + y * ours->pitch,
                              static_cast<Uint8*>(theirs->pixels) + y * theirs->pitch, theirs->w),
                  0)
            << "row " << y;
}

TEST(GifSurfaceTest, EveryPictureTheGatePassesLoadsAsSdlImageLoadsIt) {
    int compared = 0;
    for (const std::string& file : pictureFiles()) {
        SCOPED_TRACE(file);
        CPictureGate gate;
        SDL_RWops* checked = gate.open(file.c_str(), 1);
        if (!checked)
            continue;
        SDL_Surface* theirs = IMG_Load_RW(checked, 1);
        SDL_Surface* ours = loadGifSurface(gate.open(file.c_str(), 1), 1);
        expectSameSurface(theirs, ours);
        SDL_FreeSurface(theirs);
        SDL_FreeSurface(ours);
        ++compared;
    }
    EXPECT_GE(compared, 11) << "the six pictures and the five made here all pass the gate";
}

} // namespace
