#include "gif_file.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

void writeGif(const std::string& path, const IndexedImage& image) {
    GifColorType colours[256] = {};
    for (std::size_t i = 0; i < image.palette.size(); ++i) {
        colours[i] = {image.palette[i].r, image.palette[i].g, image.palette[i].b};
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);
    // giflib would create the file readable by its owner only.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int error = 0;
    GifFileType* gif = fd < 0 ? nullptr : EGifOpenFileHandle(fd, &error);
    if (!gif || !map) {
        if (fd >= 0) {
            close(fd);
        }
        GifFreeMapObject(map);
        throw std::runtime_error("cannot write " + path);
    }
    bool ok = EGifPutScreenDesc(gif, image.width, image.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(image.width);
    for (int y = 0; ok && y < image.height; ++y) {
        const auto* first = &image.pixels[static_cast<std::size_t>(y) * image.width];
        row.assign(first, first + image.width);
        ok = EGifPutLine(gif, row.data(), image.width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    if (!ok) {
        throw std::runtime_error("cannot write " + path + ": " + GifErrorString(error));
    }
}
