#include "gif_surface.h"

namespace {

int readSource(GifFileType* gif, GifByteType* into, int wanted) {
    const int got = SDL_RWread(static_cast<SDL_RWops*>(gif->UserData), into, 1, wanted);
    return got > 0 ? got : 0;
}

void setPalette(SDL_Surface* surface, const ColorMapObject* map) {
    SDL_Color colours[256] = {};
    for (int i = 0; map && i < map->ColorCount && i < 256; ++i)
        colours[i] = {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue, 0};
    SDL_SetColors(surface, colours, 0, 256);
}

// Interlaced rows come in four passes: every eighth row from 0, every eighth from 4, every
// fourth from 2, every second from 1.
bool readRows(GifFileType* gif, SDL_Surface* surface) {
    const int height = surface->h;
    const int firstRow[] = {0, 4, 2, 1};
    const int rowStep[] = {8, 8, 4, 2};
    const int passes = gif->Image.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int step = gif->Image.Interlace ? rowStep[pass] : 1;
        for (int y = gif->Image.Interlace ? firstRow[pass] : 0; y < height; y += step) {
            auto* row = static_cast<GifPixelType*>(surface->pixels) + y * surface->pitch;
            if (DGifGetLine(gif, row, surface->w) != GIF_OK)
                return false;
        }
    }
    return true;
}

SDL_Surface* decode(GifFileType* gif) {
    int transparent = NO_TRANSPARENT_COLOR;
    if (!toFirstGifImage(gif, &transparent)) {
        SDL_SetError("a GIF without an image giflib can read");
        return nullptr;
    }
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, gif->Image.Width, gif->Image.Height, 8, 0, 0, 0, 0);
    if (!surface)
        return nullptr;
    setPalette(surface, gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap);
    if (transparent != NO_TRANSPARENT_COLOR)
        SDL_SetColorKey(surface, SDL_SRCCOLORKEY, static_cast<Uint32>(transparent));
    if (!readRows(gif, surface)) {
        SDL_SetError("a GIF whose pixels giflib cannot decode");
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return surface;
}

} // namespace

bool toFirstGifImage(GifFileType* gif, int* transparent) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    while (DGifGetRecordType(gif, &record) == GIF_OK) {
        if (record == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(gif) == GIF_OK;
        int label = 0;
        GifByteType* block = nullptr;
        if (record != EXTENSION_RECORD_TYPE || DGifGetExtension(gif, &label, &block) != GIF_OK)
            return false;
        GraphicsControlBlock control;
        if (label == GRAPHICS_EXT_FUNC_CODE && block &&
            DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            *transparent = control.TransparentColor;
        while (block)
            if (DGifGetExtensionNext(gif, &block) != GIF_OK)
                return false;
    }
    return false;
}

SDL_Surface* loadGifSurface(SDL_RWops* source, int freeSource) {
    SDL_Surface* surface = nullptr;
    int error = 0;
    if (GifFileType* gif = DGifOpen(source, readSource, &error)) {
        surface = decode(gif);
        DGifCloseFile(gif, &error);
    } else {
        SDL_SetError("not a GIF: %s", GifErrorString(error));
    }
    if (freeSource)
        SDL_RWclose(source);
    return surface;
}
