#include "reference_picture.h"

#include <SDL_image.h>

ReferencePicture::ReferencePicture(const std::string& file) {
    SDL_Surface* loaded = IMG_Load(file.c_str());
    if (!loaded)
        return;
    SDL_LockSurface(loaded);
    const int bpp = loaded->format->BytesPerPixel;
    for (int y = 0; y < loaded->h; ++y)
        for (int x = 0; x < loaded->w; ++x) {
            Uint32 value = 0;
            SDL_memcpy(&value, static_cast<Uint8*>(loaded->pixels) + y * loaded->pitch + x * bpp,
                       bpp);
            Uint8 r, g, b;
            SDL_GetRGB(value, loaded->format, &r, &g, &b);
            pixels.push_back(r << 16 | g << 8 | b);
        }
    SDL_UnlockSurface(loaded);
    width_ = loaded->w;
    height_ = loaded->h;
    SDL_FreeSurface(loaded);
}
