#include "gif_memory.h"

#include <algorithm>
#include <cstring>

namespace {

int readMemory(GifFileType* gif, GifByteType* into, int wanted) {
    GifMemory& m = *static_cast<GifMemory*>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(wanted), m.size - m.at);
    std::memcpy(into, m.bytes + m.at, n);
    m.at += n;
    return static_cast<int>(n);
}

} // namespace

GifFileType* openGifInMemory(GifMemory& memory, int* error) {
    return DGifOpen(&memory, readMemory, error);
}
