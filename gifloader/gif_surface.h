// A GIF's first image decoded by giflib into the very surface SDL_image makes of it, for
// systems where SDL_image cannot be had.
#pragma once

#include <SDL.h>
#include <gif_lib.h>

// An 8-bit surface of the image's size whose 256-entry palette holds the image's colour table
// (its own, else the file's) with black after it, and whose colour key is the transparent index
// of the graphic control before the image, if any. Null, with the reason as SDL's error, when
// giflib cannot decode the image. Closes `source` when `freeSource` is non-zero.
SDL_Surface* loadGifSurface(SDL_RWops* source, int freeSource);

// Reads on to the descriptor of the first image, past every extension; `transparent` gets the
// transparent index of a graphic control on the way, if there is one. False when giflib cannot.
bool toFirstGifImage(GifFileType* gif, int* transparent);
