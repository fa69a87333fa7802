// Writes the fuzzer's seeds into the folder given: small GIFs of the shapes the scene's
// pictures and the gate's rules have, put together by the tests' GIF builder.
#include "gif_bytes.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace gifbytes;

namespace {

std::vector<int> stripes(int width, int height, int colours) {
    std::vector<int> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back((x / 3 + y) % colours);
    return pixels;
}

std::string image(int width, int height, int colours, bool interlaced = false, int local = 0,
                  int blockSize = 255) {
    const int bits = colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
    return imageDescriptor(width, height, interlaced, local) +
           pixelData(compressedCodes(stripes(width, height, colours), bits), bits, blockSize);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds FOLDER\n";
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"drop", header(10, 14, 4) + image(10, 14, 4) + ';'},
        {"strip", header(40, 6, 16) + graphicControl(0) + image(40, 6, 16) + ';'},
        {"interlaced", header(9, 11, 4) + image(9, 11, 4, true) + ';'},
        {"local-colours", header(12, 5, 0) + image(12, 5, 16, false, 16) + ';'},
        {"two-images", header(6, 6, 4) + image(6, 6, 4) + graphicControl(1) + image(3, 2, 4) + ';'},
        {"comment", header(7, 3, 4) + "\x21\xFE" + dataBlocks("basil", 2) + image(7, 3, 4) + ';'},
        {"small-blocks", header(16, 4, 4) + image(16, 4, 4, false, 0, 2) + ';'},
        {"literals", header(5, 5, 256) + imageDescriptor(5, 5) +
                         pixelData(literalCodes(stripes(5, 5, 200), 8), 8) + ';'},
        {"solid", picture(30, 20, solidCodes(600, 2))},
    };
    for (const auto& [name, bytes] : seeds)
        std::ofstream(folder + name + ".gif", std::ios::binary) << bytes;
    return 0;
}
