#include "SDL_image.h"

#include "gif_surface.h"

// Every picture the sprite library loads has passed the gate, so it is a GIF.
extern "C" SDL_Surface* IMG_Load_RW(SDL_RWops* source, int freeSource) {
    return loadGifSurface(source, freeSource);
}
