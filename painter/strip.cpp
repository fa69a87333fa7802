#include "strip.h"

#include <cstdint>

namespace {

int ownFrames(const StripLayout& layout, std::size_t which) {
    const FrameRange& r = layout.ranges[which];
    int own = 0;
    for (int f = r.first; f <= r.last; ++f) {
        bool repainted = false;
        for (std::size_t later = which + 1; later < layout.ranges.size(); ++later) {
            const FrameRange& l = layout.ranges[later];
            repainted = repainted || (l.mirrorOf == nullptr && l.holds(f));
        }
        own += repainted ? 0 : 1;
    }
    return own;
}

void mirrorFrame(Canvas& strip, int frameWidth, int from, int to) {
    cairo_surface_flush(strip.surface());
    unsigned char* data = cairo_image_surface_get_data(strip.surface());
    const int stride = cairo_image_surface_get_stride(strip.surface());
    for (int y = 0; y < strip.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < frameWidth; ++x) {
            row[to * frameWidth + x] = row[from * frameWidth + frameWidth - 1 - x];
        }
    }
    cairo_surface_mark_dirty(strip.surface());
}

} // namespace

Canvas paintStrip(const StripLayout& layout, const FramePainter& paint) {
    Canvas strip(layout.width(), layout.height);
    for (std::size_t i = 0; i < layout.ranges.size(); ++i) {
        const FrameRange& r = layout.ranges[i];
        if (r.mirrorOf) {
            continue;
        }
        const int own = ownFrames(layout, i);
        for (int index = 0; index < own; ++index) {
            const int frame = r.first + index;
            // Each frame gets a canvas of its own, so a pose paints the same pixels wherever
            // its frame sits in the strip.
            Canvas single(layout.frameWidth, layout.height);
            paint(single.cr(), FrameCue{r, frame, index, own});
            cairo_surface_flush(single.surface());
            cairo_set_operator(strip.cr(), CAIRO_OPERATOR_SOURCE);
            cairo_set_source_surface(strip.cr(), single.surface(), frame * layout.frameWidth, 0);
            cairo_rectangle(strip.cr(), frame * layout.frameWidth, 0, layout.frameWidth,
                            layout.height);
            cairo_fill(strip.cr());
        }
    }
    for (const FrameRange& r : layout.ranges) {
        if (r.mirrorOf) {
            const FrameRange& source = layout.range(r.mirrorOf);
            for (int index = 0; index < r.length(); ++index) {
                mirrorFrame(strip, layout.frameWidth, source.first + index, r.first + index);
            }
        }
    }
    return strip;
}
