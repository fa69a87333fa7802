#include "gif_bytes.h"

#include <map>
#include <utility>

namespace gifbytes {

namespace {

constexpr int maxCodeBits = 12;

int tableBits(int colours) {
    int bits = 0;
    while ((2 << bits) < colours)
        ++bits;
    return bits;
}

std::string little16(int v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)};
}

} // namespace

std::string colourTable(int colours) {
    std::string table;
    for (int i = 0; i < colours; ++i)
        table.append(3, static_cast<char>(i * 255 / (colours - 1)));
    return table;
}

std::string header(int width, int height, int colours) {
    const char flags = static_cast<char>(colours ? 0x80 | 0x70 | tableBits(colours) : 0x70);
    return "GIF89a" + little16(width) + little16(height) + flags + '\0' + '\0' +
           (colours ? colourTable(colours) : "");
}

std::string graphicControl(int transparent) {
    return std::string("\x21\xF9\x04", 3) + static_cast<char>(transparent >= 0 ? 1 : 0) +
           little16(0) + static_cast<char>(transparent >= 0 ? transparent : 0) + '\0';
}

std::string imageDescriptor(int width, int height, bool interlaced, int localColours) {
    const int flags = (localColours ? 0x80 | tableBits(localColours) : 0) | (interlaced ? 0x40 : 0);
    return ',' + little16(0) + little16(0) + little16(width) + little16(height) +
           static_cast<char>(flags) + (localColours ? colourTable(localColours) : "");
}

std::string dataBlocks(const std::string& data, int blockSize) {
    std::string blocks;
    for (size_t at = 0; at < data.size(); at += blockSize) {
        const std::string block = data.substr(at, blockSize);
        blocks += static_cast<char>(block.size());
        blocks += block;
    }
    return blocks + '\0';
}

std::string packCodes(const std::vector<int>& codes, int minimumBits) {
    const int clear = 1 << minimumBits;
    int bits = minimumBits + 1;
    int nextEntry = clear + 2;
    bool first = true; // the code after a clear code adds no table entry
    std::string packed;
    unsigned long pending = 0;
    int pendingBits = 0;
    for (int code : codes) {
        pending |= static_cast<unsigned long>(code & ((1 << bits) - 1)) << pendingBits;
        pendingBits += bits;
        for (; pendingBits >= 8; pendingBits -= 8, pending >>= 8)
            packed += static_cast<char>(pending & 0xFF);
        if (code == clear) {
            bits = minimumBits + 1;
            nextEntry = clear + 2;
            first = true;
        } else if (first) {
            first = false;
        } else if (nextEntry < 1 << maxCodeBits && ++nextEntry == 1 << bits && bits < maxCodeBits) {
            ++bits;
        }
    }
    if (pendingBits > 0)
        packed += static_cast<char>(pending & 0xFF);
    return packed;
}

std::vector<int> literalCodes(const std::vector<int>& pixels, int minimumBits) {
    const int clear = 1 << minimumBits;
    // Entries clear + 2 up to the next power of two keep the codes at their narrowest.
    const int perClear = clear - 2;
    std::vector<int> codes;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % perClear == 0)
            codes.push_back(clear);
        codes.push_back(pixels[i]);
    }
    codes.push_back(clear + 1);
    return codes;
}

std::vector<int> compressedCodes(const std::vector<int>& pixels, int minimumBits) {
    const int clear = 1 << minimumBits;
    std::vector<int> codes{clear};
    if (pixels.empty())
        return {clear, clear + 1};
    std::map<std::pair<int, int>, int> table;
    int nextEntry = clear + 2;
    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const auto found = table.find({prefix, pixels[i]});
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        codes.push_back(prefix);
        if (nextEntry < 1 << maxCodeBits) {
            table[{prefix, pixels[i]}] = nextEntry++;
        } else {
            codes.push_back(clear);
            table.clear();
            nextEntry = clear + 2;
        }
        prefix = pixels[i];
    }
    codes.push_back(prefix);
    codes.push_back(clear + 1);
    return codes;
}

std::vector<int> solidCodes(long long pixels, int minimumBits) {
    const int clear = 1 << minimumBits;
    std::vector<int> codes;
    while (pixels > 0) {
        codes.push_back(clear);
        codes.push_back(0);
        --pixels;
        // Entry clear + 2 + k is k + 2 pixels of colour 0.
        for (int entry = clear + 2; pixels > 0 && entry < 1 << maxCodeBits; ++entry) {
            const long long length = entry - clear;
            if (pixels < length) {
                codes.push_back(pixels == 1 ? 0 : clear + static_cast<int>(pixels));
                pixels = 0;
            } else {
                codes.push_back(entry);
                pixels -= length;
            }
        }
    }
    codes.push_back(clear + 1);
    return codes;
}

std::string pixelData(const std::vector<int>& codes, int minimumBits, int blockSize) {
    return static_cast<char>(minimumBits) + dataBlocks(packCodes(codes, minimumBits), blockSize);
}

std::string picture(int width, int height, const std::vector<int>& codes, bool interlaced) {
    return header(width, height, 4) + imageDescriptor(width, height, interlaced) +
           pixelData(codes, 2) + ';';
}

} // namespace gifbytes
