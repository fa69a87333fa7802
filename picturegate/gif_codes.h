// The compressed pixels of a GIF image, read code by code as SDL_image's decoder reads them.
#pragma once

#include <cstddef>
#include <string>

// `data` points at the image's LZW code size byte, with its data blocks complete up to their
// terminator within `size` bytes. Checks the codes the decoder reads to fill `pixels` pixels.
// Returns why they would mislead it, or an empty string.
std::string checkGifCodes(const unsigned char* data, std::size_t size, long long pixels);
