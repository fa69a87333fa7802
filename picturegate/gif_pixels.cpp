#include "gif_pixels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

int readMemory(GifFileType* gif, GifByteType* into, int wanted) {
    GifMemory& m = *static_cast<GifMemory*>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(wanted), m.size - m.at);
    std::memcpy(into, m.bytes + m.at, n);
    m.at += n;
    return static_cast<int>(n);
}

bool skipExtension(GifFileType* gif) {
    int label = 0;
    GifByteType* block = nullptr;
    bool ok = DGifGetExtension(gif, &label, &block) == GIF_OK;
    while (ok && block)
        ok = DGifGetExtensionNext(gif, &block) == GIF_OK;
    return ok;
}

bool decodeImage(GifFileType* gif) {
    std::vector<GifPixelType> line(static_cast<std::size_t>(gif->Image.Width));
    for (int y = 0; y < gif->Image.Height; ++y)
        if (DGifGetLine(gif, line.data(), gif->Image.Width) != GIF_OK)
            return false;
    return true;
}

} // namespace

GifFileType* openGifInMemory(GifMemory& memory, int* error) {
    return DGifOpen(&memory, readMemory, error);
}

std::string decodeFirstImage(const unsigned char* bytes, std::size_t size) {
    GifMemory memory{bytes, size, 0};
    int error = 0;
    GifFileType* gif = openGifInMemory(memory, &error);
    if (!gif)
        return "not a GIF to giflib";
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    bool ok = DGifGetRecordType(gif, &record) == GIF_OK;
    while (ok && record == EXTENSION_RECORD_TYPE)
        ok = skipExtension(gif) && DGifGetRecordType(gif, &record) == GIF_OK;
    ok = ok && record == IMAGE_DESC_RECORD_TYPE && DGifGetImageDesc(gif) == GIF_OK &&
         decodeImage(gif);
    std::string refusal;
    if (!ok) {
        const char* reason = GifErrorString(gif->Error);
        refusal = std::string("a GIF whose pixels giflib cannot decode: ") +
                  (reason ? reason : "no picture where one should be");
    }
    DGifCloseFile(gif, &error);
    return refusal;
}
