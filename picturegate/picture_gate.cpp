// SDL_image writes through a null surface when a GIF's first image is 0 pixels wide or high, or
// wider or higher than SDL makes a surface (16383 x 65535), and leaves an interlaced image of
// two to four rows with rows never drawn.
#include "picture_gate.h"

#include "gif_blocks.h"
#include "gif_codes.h"

#include <string>

namespace {

constexpr int maxWidth = 16383;
constexpr int maxHeight = 65535;

std::string shapeRefusal(const GifLayout& layout) {
    if (layout.width < 1 || layout.width > maxWidth || layout.height < 1 ||
        layout.height > maxHeight)
        return "a GIF picture of " + std::to_string(layout.width) + "x" +
               std::to_string(layout.height) + ", outside the 1x1 to " + std::to_string(maxWidth) +
               "x" + std::to_string(maxHeight) + " a surface can have";
    if (layout.interlaced && layout.height >= 2 && layout.height <= 4)
        return "an interlaced GIF picture of " + std::to_string(layout.height) +
               " rows, which the loader leaves half drawn";
    return "";
}

SDL_RWops* refuse(const std::string& reason) {
    SDL_SetError("%s", reason.c_str());
    return nullptr;
}

} // namespace

std::string CPictureGate::check(Checked& c) const {
    std::string refusal = readPictureFile(c.file.c_str(), budget.left(), budget.refusal(), c.bytes);
    GifLayout layout;
    if (refusal.empty())
        refusal = walkGifBlocks(c.bytes.data(), c.bytes.size(), layout);
    if (refusal.empty())
        refusal = shapeRefusal(layout);
    if (refusal.empty())
        refusal =
            checkGifCodes(c.bytes.data() + layout.pixelData, c.bytes.size() - layout.pixelData,
                          static_cast<long long>(layout.width) * layout.height);
    c.width = layout.width;
    c.height = layout.height;
    return refusal;
}

CPictureGate::Checked& CPictureGate::checked(const char* file) {
    const FileIdentity identity = identify(file);
    Checked* found = nullptr;
    for (Checked& c : files)
        if (c.file == file)
            found = &c;
    if (found && found->identity == identity)
        return *found;
    if (found)
        budget.giveBack(found->bytes.size());
    Checked& c = found ? *found : files.emplace_back();
    c = Checked();
    c.file = file;
    c.identity = identity;
    c.refusal = check(c);
    if (c.refusal.empty())
        budget.take(c.bytes.size());
    else
        c.bytes = {};
    return c;
}

SDL_RWops* CPictureGate::open(const char* file, int bytesPerPixel) {
    Checked& c = checked(file);
    if (!c.refusal.empty())
        return refuse(c.refusal);
    const std::size_t surface =
        static_cast<std::size_t>(bytesPerPixel) * static_cast<std::size_t>(c.width) * c.height;
    if (!budget.take(surface))
        return refuse(budget.refusal());
    return SDL_RWFromConstMem(c.bytes.data(), static_cast<int>(c.bytes.size()));
}

SDL_RWops* openCheckedPicture(const char* file) {
    static CPictureGate gate;
    // Conversion fails without a screen; the widest pixels are charged all the same.
    const SDL_Surface* screen = SDL_GetVideoSurface();
    return gate.open(file, screen ? screen->format->BytesPerPixel : 4);
}
