// The one call of SDL_image the sprite library makes, where SDL_image cannot be had.
#pragma once

#include <SDL.h>

extern "C" SDL_Surface* IMG_Load_RW(SDL_RWops* source, int freeSource);
