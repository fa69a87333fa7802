#pragma once

#include "indexed_image.h"

#include <string>

// One image with a 256-entry global palette and no extension blocks at all: a transparency
// index would make the loader key the picture.
void writeGif(const std::string& path, const IndexedImage& image);
