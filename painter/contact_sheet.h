#pragma once

#include "frame_ranges.h"
#include "indexed_image.h"

#include <string>
#include <vector>

struct SheetStrip {
    const StripLayout& layout;
    const IndexedImage& image;
};

// Every frame of every strip, labelled with its index and the ranges that show it, and the
// backdrop at half size; transparent pixels show the sheet's own background.
void writeContactSheet(const std::string& path, const IndexedImage& backdrop,
                       const std::vector<SheetStrip>& strips);
