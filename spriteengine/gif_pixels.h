// The pixels of a GIF's first image, decoded in full by giflib.
#pragma once

#include <cstddef>
#include <string>

// Returns why giflib cannot decode them, or an empty string.
std::string decodeFirstImage(const unsigned char* bytes, std::size_t size);
