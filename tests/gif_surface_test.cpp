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
#include <tuple>

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
        {"keyed.gif", header(4, 2, 4) + graphicControl(2) + imageDescriptor(4, 2) +
                          pixelData(literalCodes(pixels, 2), 2) + ';'},
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

// Everything SDL_image sets of a surface: SDL clears the pixels, padding included, as it makes it.
void expectSameSurface(SDL_Surface* theirs, SDL_Surface* ours) {
    ASSERT_TRUE(theirs && ours) << SDL_GetError();
    const auto shape = [](const SDL_Surface* s) {
        const SDL_PixelFormat& f = *s->format;
        return std::make_tuple(s->w, s->h, s->pitch, s->flags, f.BitsPerPixel, f.colorkey, f.alpha,
                               f.palette ? f.palette->ncolors : -1);
    };
    ASSERT_EQ(shape(ours), shape(theirs));
    EXPECT_EQ(std::memcmp(ours->format->palette->colors, theirs->format->palette->colors,
                          theirs->format->palette->ncolors * sizeof(SDL_Color)),
              0);
    EXPECT_EQ(std::memcmp(ours->pixels, theirs->pixels, theirs->h * theirs->pitch), 0);
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
