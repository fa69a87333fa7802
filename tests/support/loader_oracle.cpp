#include "loader_oracle.h"

#include "gif_memory.h"
#include "gif_surface.h"

#include <gif_lib.h>

#include <cstring>
#include <vector>

namespace {

// Rows in the order the data holds them.
std::vector<int> rowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    const int start[] = {0, 4, 2, 1};
    const int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            rows.push_back(y);
    return rows;
}

std::string compare(GifFileType* gif, SDL_Surface* loaded) {
    const int width = gif->Image.Width;
    const int height = gif->Image.Height;
    if (loaded->w != width || loaded->h != height || loaded->format->BytesPerPixel != 1)
        return "the loader made a surface of " + std::to_string(loaded->w) + "x" +
               std::to_string(loaded->h) + " for an image of " + std::to_string(width) + "x" +
               std::to_string(height);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    const auto* pixels = static_cast<const unsigned char*>(loaded->pixels);
    for (int y : rowOrder(height, gif->Image.Interlace)) {
        if (DGifGetLine(gif, line.data(), width) != GIF_OK)
            return "giflib cannot decode row " + std::to_string(y);
        if (std::memcmp(line.data(), pixels + static_cast<std::size_t>(y) * loaded->pitch, width))
            return "row " + std::to_string(y) + " differs";
    }
    return "";
}

} // namespace

std::string loaderDisagreement(const unsigned char* bytes, std::size_t size, SDL_Surface* loaded) {
    GifMemory memory{bytes, size, 0};
    int error = 0;
    GifFileType* gif = openGifInMemory(memory, &error);
    if (!gif)
        return "giflib cannot open it";
    std::string differs = "giflib finds no first image";
    int transparent = NO_TRANSPARENT_COLOR;
    if (toFirstGifImage(gif, &transparent)) {
        SDL_LockSurface(loaded);
        differs = compare(gif, loaded);
        SDL_UnlockSurface(loaded);
    }
    DGifCloseFile(gif, &error);
    return differs;
}
