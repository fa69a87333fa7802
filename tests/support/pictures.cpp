#include "pictures.h"

#include <gtest/gtest.h>

#include <gif_lib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <vector>

std::string scratchPath(const std::string& name) {
    static const std::string folder = [] {
        const std::string f = testing::TempDir() + "basilrain-test-" + std::to_string(getpid()) + "/";
        mkdir(f.c_str(), 0755);
        return f;
    }();
    return folder + name;
}

std::string writePicture(const std::string& name, int width, int height, const ColourAt& colour) {
    std::vector<Uint32> palette;
    std::vector<GifByteType> indexes;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Uint32 rgb = colour(x, y);
            auto found = std::find(palette.begin(), palette.end(), rgb);
            if (found == palette.end()) {
                if (palette.size() == 256)
                    throw std::runtime_error("a test picture has more than 256 colours");
                found = palette.insert(palette.end(), rgb);
            }
            indexes.push_back(static_cast<GifByteType>(found - palette.begin()));
        }
    }
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    for (size_t i = 0; i < palette.size(); ++i)
        map->Colors[i] = {static_cast<GifByteType>(palette[i] >> 16),
                          static_cast<GifByteType>(palette[i] >> 8),
                          static_cast<GifByteType>(palette[i])};

    const std::string path = scratchPath(name);
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        throw std::runtime_error(GifErrorString(error));
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y)
        ok = EGifPutLine(gif, &indexes[static_cast<size_t>(y) * width], width) == GIF_OK;
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    if (!ok)
        throw std::runtime_error("cannot write " + path);
    return path;
}

// Distinct colours that the 16-bit screen keeps distinct: steps of 8 in red and blue.
Uint32 frameColour(int frame) { return ((8 + frame * 8) & 0xF8) << 16 | 0x8000 | (frame * 40 & 0xF8); }

std::string writeStrip(const std::string& name, int frames, int frameWidth, int height) {
    return writePicture(name, frames * frameWidth, height,
                        [=](int x, int) { return frameColour(x / frameWidth); });
}

int frameShownAt(SDL_Surface* surface, int x, int y) {
    for (int f = 0; f < 31; ++f)
        if (showsColour(surface, x, y, frameColour(f)))
            return f;
    return -1;
}

Uint32 pixelAt(SDL_Surface* surface, int x, int y) {
    const int bpp = surface->format->BytesPerPixel;
    const Uint8* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
    Uint32 value = 0;
    SDL_memcpy(&value, p, bpp);
    return value;
}

size_t surfaceHash(SDL_Surface* surface) {
    SDL_LockSurface(surface);
    const char* pixels = static_cast<const char*>(surface->pixels);
    const size_t row = static_cast<size_t>(surface->w) * surface->format->BytesPerPixel;
    size_t hash = 0;
    // Row by row: the padding a pitch may add is not part of the picture.
    for (int y = 0; y < surface->h; ++y)
        hash = hash * 31 + std::hash<std::string_view>()({pixels + y * surface->pitch, row});
    SDL_UnlockSurface(surface);
    return hash;
}

Uint32 mapped(SDL_Surface* surface, Uint32 rgb) {
    return SDL_MapRGB(surface->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool showsColour(SDL_Surface* surface, int x, int y, Uint32 rgb) {
    return pixelAt(surface, x, y) == mapped(surface, rgb);
}

void fill(SDL_Surface* surface, Uint32 rgb) { SDL_FillRect(surface, nullptr, mapped(surface, rgb)); }
