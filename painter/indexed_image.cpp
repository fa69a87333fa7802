#include "indexed_image.h"

#include <gif_lib.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kOpaqueColours = 255;
constexpr Rgb kDarkestVisible{16, 12, 20};
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

struct Straight {
    bool opaque;
    Rgb colour;
};

Straight unpremultiply(std::uint32_t argb) {
    const unsigned a = argb >> 24;
    if (a < 128) {
        return {false, kTransparent};
    }
    auto channel = [a](unsigned premultiplied) {
        return static_cast<std::uint8_t>(std::min(255u, (premultiplied * 255 + a / 2) / a));
    };
    return {true,
            {channel((argb >> 16) & 0xff), channel((argb >> 8) & 0xff), channel(argb & 0xff)}};
}

} // namespace

IndexedImage quantise(const Canvas& canvas, Dither dither) {
    cairo_surface_flush(canvas.surface());
    const unsigned char* data = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());

    IndexedImage image;
    image.width = canvas.width();
    image.height = canvas.height();
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);

    std::vector<std::size_t> opaqueAt;
    std::vector<GifByteType> red, green, blue;
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < image.width; ++x) {
            const Straight p = unpremultiply(row[x]);
            if (p.opaque) {
                const int lift = dither == Dither::Ordered ? kBayer[y % 4][x % 4] / 2 : 0;
                auto channel = [lift](std::uint8_t v) {
                    return static_cast<GifByteType>(std::min(255, v + lift));
                };
                opaqueAt.push_back(static_cast<std::size_t>(y) * image.width + x);
                red.push_back(channel(p.colour.r));
                green.push_back(channel(p.colour.g));
                blue.push_back(channel(p.colour.b));
            }
        }
    }

    image.palette.assign(1, kTransparent);
    if (opaqueAt.empty()) {
        return image;
    }
    int colours = kOpaqueColours;
    std::vector<GifColorType> map(kOpaqueColours);
    std::vector<GifByteType> indexes(opaqueAt.size());
    if (GifQuantizeBuffer(static_cast<unsigned>(opaqueAt.size()), 1, &colours, red.data(),
                          green.data(), blue.data(), indexes.data(), map.data()) != GIF_OK) {
        throw std::runtime_error("quantising failed");
    }
    for (int i = 0; i < colours; ++i) {
        const Rgb c{map[i].Red, map[i].Green, map[i].Blue};
        image.palette.push_back(vanishesOn565(c) ? kDarkestVisible : c);
    }
    for (std::size_t i = 0; i < opaqueAt.size(); ++i) {
        image.pixels[opaqueAt[i]] = static_cast<std::uint8_t>(indexes[i] + 1);
    }
    return image;
}

Canvas toCanvas(const IndexedImage& image) {
    Canvas canvas(image.width, image.height);
    cairo_surface_flush(canvas.surface());
    unsigned char* data = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = image.at(x, y);
            row[x] = c == kTransparent ? 0u : 0xff000000u | (c.r << 16) | (c.g << 8) | c.b;
        }
    }
    cairo_surface_mark_dirty(canvas.surface());
    return canvas;
}
