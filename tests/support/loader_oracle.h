// The pixels SDL_image loaded from a GIF, held against the ones giflib decodes from it.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <string>

// An empty string when `loaded` holds exactly the colour indexes of the first image that giflib
// decodes from `bytes`; otherwise where they part.
std::string loaderDisagreement(const unsigned char* bytes, std::size_t size, SDL_Surface* loaded);
