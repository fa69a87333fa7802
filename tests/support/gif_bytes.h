// GIF files put together byte by byte, for pictures no encoder would write: hostile files for
// the picture gate and small seeds for its fuzzer.
#pragma once

#include <string>
#include <vector>

namespace gifbytes {

// A colour table of `colours` entries (a power of two from 2 to 256) of distinct greys.
std::string colourTable(int colours);

// "GIF89a", a logical screen of `width` x `height`, and a global colour table of `colours`
// entries, or none for 0.
std::string header(int width, int height, int colours);

// A graphic control extension of four bytes: no delay, `transparent` as the key or -1 for none.
std::string graphicControl(int transparent);

// An image descriptor, with a local colour table of `localColours` entries unless 0.
std::string imageDescriptor(int width, int height, bool interlaced = false, int localColours = 0);

// `data` cut into data blocks of at most `blockSize` bytes, then the empty block that ends them.
std::string dataBlocks(const std::string& data, int blockSize = 255);

// LZW codes packed least significant bit first, each as wide as a decoder reads it: one bit
// more than `minimumBits` after a clear code, one more each time its table reaches a power of 2.
std::string packCodes(const std::vector<int>& codes, int minimumBits);

// A clear code, every pixel as a literal (a clear code again before the codes would widen),
// and the end code.
std::vector<int> literalCodes(const std::vector<int>& pixels, int minimumBits);

// LZW as an encoder writes it: the longest string in the table, then a new entry; a clear code
// when the table is full.
std::vector<int> compressedCodes(const std::vector<int>& pixels, int minimumBits);

// Properly compressed codes for `pixels` pixels of colour 0, each code one pixel longer than
// the one before, the table cleared when it is full. Short even for a billion pixels.
std::vector<int> solidCodes(long long pixels, int minimumBits);

// The code size byte and the packed codes in data blocks.
std::string pixelData(const std::vector<int>& codes, int minimumBits, int blockSize = 255);

// A whole GIF: header with a global table of 4 colours, one image of `codes`, the trailer.
std::string picture(int width, int height, const std::vector<int>& codes, bool interlaced = false);

} // namespace gifbytes
