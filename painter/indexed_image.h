#pragma once

#include "canvas.h"
#include "colour.h"

#include <cstdint>
#include <vector>

// A picture of at most 256 colours; palette entry 0 is the transparent black.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> pixels;

    Rgb at(int x, int y) const { return palette[pixels[static_cast<std::size_t>(y) * width + x]]; }
};

enum class Dither { None, Ordered };

// Half-covered edge pixels become solid, the rest transparent, so no edge blends toward
// the key colour; the opaque colours share the remaining 255 palette entries. Ordered
// dithering hides the steps of wide gradients, which the quantiser keeps at 5 bits a channel.
IndexedImage quantise(const Canvas& canvas, Dither dither = Dither::None);

// For previews: the picture back on a canvas, transparent where it is black.
Canvas toCanvas(const IndexedImage& image);
