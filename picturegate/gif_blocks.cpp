// SDL_image reads a graphic control extension's first data block as the control data itself,
// whatever its length: one with no data makes it read the blocks behind as data, to the end of
// the file, where it spins for ever. Bytes that are no block it skips, where giflib stops. Both
// readers agree on a file only when every block has the form the format gives it.
#include "gif_blocks.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned char extensionIntroducer = 0x21;
constexpr unsigned char imageSeparator = 0x2C;
constexpr unsigned char trailer = 0x3B;
constexpr unsigned char graphicControlLabel = 0xF9;
constexpr unsigned char colourTableFlag = 0x80;
constexpr unsigned char interlaceFlag = 0x40;

class Cursor {
  public:
    Cursor(const unsigned char* b, std::size_t n) : bytes(b), size(n) {}

    // Null when fewer than `n` bytes are left.
    const unsigned char* take(std::size_t n) {
        if (size - at < n)
            return nullptr;
        const unsigned char* taken = bytes + at;
        at += n;
        return taken;
    }
    std::size_t offset() const { return at; }

    // Data blocks up to and including the empty one that ends them.
    bool skipDataBlocks() {
        for (;;) {
            const unsigned char* length = take(1);
            if (!length)
                return false;
            if (*length == 0)
                return true;
            if (!take(*length))
                return false;
        }
    }

  private:
    const unsigned char* bytes;
    std::size_t size;
    std::size_t at = 0;
};

constexpr const char* cutShort = "a GIF cut short";

int little16(const unsigned char* p) {
    return p[0] | p[1] << 8;
}

std::size_t colourTableBytes(unsigned char flags) {
    return flags & colourTableFlag ? 3u * (2u << (flags & 7)) : 0;
}

std::string strayByte(unsigned char b) {
    char text[64];
    std::snprintf(text, sizeof text, "a GIF with a stray byte 0x%02X between its blocks", b);
    return text;
}

} // namespace

std::string walkGifBlocks(const unsigned char* bytes, std::size_t size, GifLayout& layout) {
    if (size < 6 || (std::memcmp(bytes, "GIF87a", 6) != 0 && std::memcmp(bytes, "GIF89a", 6) != 0))
        return "not a GIF";
    Cursor c(bytes, size);
    c.take(6);
    const unsigned char* screen = c.take(7);
    if (!screen || !c.take(colourTableBytes(screen[4])))
        return cutShort;
    const bool globalColours = screen[4] & colourTableFlag;

    int images = 0;
    for (;;) {
        const unsigned char* introducer = c.take(1);
        if (!introducer)
            return cutShort;
        if (*introducer == trailer)
            return images > 0 ? "" : "a GIF without a picture";
        if (*introducer == extensionIntroducer) {
            const unsigned char* label = c.take(1);
            if (!label)
                return cutShort;
            if (*label == graphicControlLabel) {
                // Four bytes of control data in one block, then the end of the blocks.
                const unsigned char* control = c.take(6);
                if (!control)
                    return cutShort;
                if (control[0] != 4 || control[5] != 0)
                    return "a GIF whose graphic control extension is not four bytes in one block";
            } else if (!c.skipDataBlocks()) {
                return cutShort;
            }
        } else if (*introducer == imageSeparator) {
            const unsigned char* descriptor = c.take(9);
            if (!descriptor || !c.take(colourTableBytes(descriptor[8])))
                return cutShort;
            if (images++ == 0) {
                if (!globalColours && !(descriptor[8] & colourTableFlag))
                    return "a GIF picture without colours";
                layout.width = little16(descriptor + 4);
                layout.height = little16(descriptor + 6);
                layout.interlaced = descriptor[8] & interlaceFlag;
                layout.pixelData = c.offset();
            }
            if (!c.take(1) || !c.skipDataBlocks())
                return cutShort;
        } else {
            return strayByte(*introducer);
        }
    }
}
