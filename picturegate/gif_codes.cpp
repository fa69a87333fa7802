// SDL_image's decoder trusts its codes. A code beyond the next free table entry, or a clear code
// where a pixel must follow, is taken at face value: entries come to refer to each other in a
// loop, and following one writes past the end of a fixed internal stack, with nothing to see.
// It also fetches one data block per code it reads, so a code spread over three blocks takes
// bits it never received. Here every code must be one the format allows at its place, and whole
// in the bits the decoder holds when it reads it.
#include "gif_codes.h"

#include <cstring>
#include <vector>

namespace {

constexpr int maxCodeBits = 12;
constexpr int tableSize = 1 << maxCodeBits;

// The decoder's bit window: the last two bytes of the data block before, then the current one.
class CodeReader {
  public:
    explicit CodeReader(const unsigned char* blocks) : next(blocks) {}

    // A code of `bits` bits, or -1 when the decoder would get a code it never received.
    int read(int bits) {
        if (curbit + bits >= lastbit) {
            if (done)
                return -1;
            window[0] = window[lastByte - 2];
            window[1] = window[lastByte - 1];
            const int count = *next++;
            std::memcpy(window + 2, next, count);
            next += count;
            done = count == 0;
            lastByte = 2 + count;
            curbit = curbit - lastbit + 16;
            lastbit = lastByte * 8;
            if (curbit + bits > lastbit)
                return -1;
        }
        // A code of up to 12 bits, at any bit of its first byte, lies within three bytes.
        const unsigned char* at = window + curbit / 8;
        const int three = at[0] | at[1] << 8 | at[2] << 16;
        const int code = three >> curbit % 8 & ((1 << bits) - 1);
        curbit += bits;
        return code;
    }

  private:
    const unsigned char* next;
    unsigned char window[2 + 255 + 2] = {}; // the last code's third byte may lie past the end
    int curbit = 0;
    int lastbit = 0;
    int lastByte = 2;
    bool done = false;
};

constexpr const char* runsOut =
    "a GIF whose compressed pixels end, or fall apart between data blocks, before the picture "
    "is full";
constexpr const char* undefinedCode = "a GIF whose compressed pixels use a code not yet defined";

} // namespace

std::string checkGifCodes(const unsigned char* data, std::size_t size, long long pixels) {
    if (size < 2)
        return runsOut;
    const int minimumBits = data[0];
    if (minimumBits < 2 || minimumBits > 8)
        return "a GIF whose LZW code size is " + std::to_string(minimumBits) + ", not 2 to 8";
    const int clear = 1 << minimumBits;
    const int end = clear + 1;

    CodeReader reader(data + 1);
    std::vector<int> length(tableSize, 1); // pixels each table entry stands for
    int bits = minimumBits + 1;
    int nextEntry = clear + 2;
    bool started = false;  // a pixel has been read: from then on clear codes are not skipped
    bool wantPixel = true; // at the start and after a clear code: a single pixel must follow
    int previous = 0;
    for (long long produced = 0; produced < pixels;) {
        const int code = reader.read(bits);
        if (code < 0 || code == end)
            return runsOut;
        if (code == clear) {
            if (wantPixel && started)
                return "a GIF whose compressed pixels hold a clear code where a pixel must be";
            bits = minimumBits + 1;
            nextEntry = clear + 2;
            wantPixel = true;
            continue;
        }
        if (wantPixel) {
            if (code > clear)
                return undefinedCode;
            started = true;
            wantPixel = false;
            ++produced;
            previous = code;
            continue;
        }
        if (code > nextEntry)
            return undefinedCode;
        produced += code == nextEntry ? length[previous] + 1 : length[code];
        if (nextEntry < tableSize) {
            length[nextEntry++] = length[previous] + 1;
            if (nextEntry == 1 << bits && bits < maxCodeBits)
                ++bits;
        }
        previous = code;
    }
    return "";
}
