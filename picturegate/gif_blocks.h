// The block structure of a GIF in memory, from its signature to its trailer.
#pragma once

#include <cstddef>
#include <string>

// The first image: the only one the loader decodes.
struct GifLayout {
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::size_t pixelData = 0; // offset of its LZW code size byte
};

// Checks every block, extensions included. Returns why the file is refused, or an empty string
// with `layout` filled in.
std::string walkGifBlocks(const unsigned char* bytes, std::size_t size, GifLayout& layout);
