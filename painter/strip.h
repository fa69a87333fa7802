#pragma once

#include "canvas.h"
#include "frame_ranges.h"

#include <functional>

// What a painter is told about a frame: which range it draws for, the frame's place in
// that range, and how many of the range's frames are the range's own.
struct FrameCue {
    const FrameRange& range;
    int frame;
    int index;
    int ownFrames;
};

// Draws one frame on a transparent canvas of the frame's size.
using FramePainter = std::function<void(cairo_t* cr, const FrameCue& cue)>;

// Ranges overlap only where a later range begins on an earlier one's last frames; those
// frames belong to the later range, and the earlier one paints only the frames before them.
// Mirrored ranges are then copied from their partners, flipped left to right pixel for pixel.
Canvas paintStrip(const StripLayout& layout, const FramePainter& paint);
