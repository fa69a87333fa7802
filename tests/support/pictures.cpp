#include "pictures.h"

#include <gtest/gtest.h>

#include <stdexcept>

std::string writePicture(const std::string& name, int width, int height, const ColourAt& colour) {
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (!picture)
        throw std::runtime_error(SDL_GetError());
    SDL_LockSurface(picture);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Uint8* p = static_cast<Uint8*>(picture->pixels) + y * picture->pitch + x * 3;
            const Uint32 rgb = colour(x, y);
            const Uint32 value = SDL_MapRGB(picture->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
            SDL_memcpy(p, &value, 3);
        }
    }
    SDL_UnlockSurface(picture);
    const std::string path = testing::TempDir() + name;
    SDL_SaveBMP(picture, path.c_str());
    SDL_FreeSurface(picture);
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

Uint32 mapped(SDL_Surface* surface, Uint32 rgb) {
    return SDL_MapRGB(surface->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool showsColour(SDL_Surface* surface, int x, int y, Uint32 rgb) {
    return pixelAt(surface, x, y) == mapped(surface, rgb);
}

void fill(SDL_Surface* surface, Uint32 rgb) { SDL_FillRect(surface, nullptr, mapped(surface, rgb)); }
