// What Emscripten's SDL 1.2, which draws through the page's canvas, leaves out or does in part,
// made up for the browser build: the display format, colour keys, relative mouse motion and the
// environment.
#include <SDL.h>
#include <emscripten.h>

#include <cstdlib>
#include <unordered_map>

namespace {

// Every surface is 32 bits a pixel in the canvas's byte order: red in the low byte, alpha high.
constexpr Uint32 colourBits = 0x00FFFFFF;
constexpr Uint32 opaque = 0xFF000000;

// Emscripten's SDL numbers its readers from 0, which C takes for no reader at all: the first is
// taken here, before the program asks for one, and never used.
[[maybe_unused]] SDL_RWops* const neverUsed = SDL_RWFromConstMem("", 0);

// The key each keyed surface has, so that asking again for the same key costs nothing.
std::unordered_map<const SDL_Surface*, Uint32> keys;

// A channel of `largest` + 1 levels widened to 8 bits.
Uint32 widened(Uint32 level, Uint32 largest) {
    return level * 255 / largest;
}

// A colour cut to the 5, 6 and 5 bits of a 16-bit screen, then widened again as SDL2 shows such
// a screen: the page shows the colours the desktop does. SDL2 widens the green in two parts, one
// from each byte of the 16-bit pixel.
Uint32 asOnSixteenBits(Uint32 pixel) {
    const Uint32 red = (pixel & 0xFF) >> 3;
    const Uint32 green = (pixel >> 8 & 0xFF) >> 2;
    const Uint32 blue = (pixel >> 16 & 0xFF) >> 3;
    const Uint32 greenShown = widened(green & ~7u, 63) + widened(green & 7u, 63);
    return opaque | widened(blue, 31) << 16 | greenShown << 8 | widened(red, 31);
}

template <typename Change> void changeEveryPixel(SDL_Surface* s, Change change) {
    SDL_LockSurface(s);
    Uint32* pixel = static_cast<Uint32*>(s->pixels);
    for (Uint32* end = pixel + s->w * s->h; pixel != end; ++pixel)
        *pixel = change(*pixel);
    SDL_UnlockSurface(s);
}

// The mouse's motion since this was last asked, from the browser's own measure of it: the
// pointer standing still while the page goes full screen or changes its layout is no motion.
EM_JS(void, takeMouseMotion, (int* x, int* y), {
    if (!Module.mouseMotion) {
        var motion = Module.mouseMotion = { x: 0, y: 0 };
        window.addEventListener('mousemove', function(event) {
            motion.x += event.movementX | 0;
            motion.y += event.movementY | 0;
        });
    }
    if (x) HEAP32[x >> 2] = Module.mouseMotion.x;
    if (y) HEAP32[y >> 2] = Module.mouseMotion.y;
    Module.mouseMotion.x = 0;
    Module.mouseMotion.y = 0;
});

} // namespace

extern "C" {

SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
    SDL_Surface* copy = SDL_ConvertSurface(surface, surface->format, 0);
    if (!copy)
        return nullptr;
    keys.erase(copy);
    changeEveryPixel(copy, asOnSixteenBits);
    return copy;
}

// The canvas blits by alpha alone, so the key's pixels are made transparent; the surfaces it
// keys come from SDL_DisplayFormat and are otherwise opaque.
int SDL_SetColorKey(SDL_Surface* surface, int flag, Uint32 key) {
    if (!surface)
        return -1;
    const Uint32 wanted = flag & SDL_SRCCOLORKEY ? key & colourBits : opaque;
    const auto known = keys.find(surface);
    if (known != keys.end() && known->second == wanted)
        return 0;
    keys[surface] = wanted;
    changeEveryPixel(surface, [wanted](Uint32 p) {
        return (p & colourBits) == wanted ? p & colourBits : p | opaque;
    });
    return 0;
}

char* SDL_getenv(const char* name) {
    return std::getenv(name);
}

Uint8 SDL_GetRelativeMouseState(int* x, int* y) {
    takeMouseMotion(x, y);
    return static_cast<Uint8>(SDL_GetMouseState(nullptr, nullptr));
}

} // extern "C"
