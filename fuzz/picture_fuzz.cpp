// libFuzzer target: a file goes through the picture gate, and whatever the gate lets through is
// loaded, converted, keyed and blitted as a sprite does it, on SDL's dummy screen. Every file
// let through must load, to the very pixels giflib decodes from it, and convert.
#include "loader_oracle.h"
#include "picture_gate.h"

#include <SDL.h>
#include <SDL_image.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Small, so that no single run decodes for long; the rule is the program's own.
constexpr std::size_t fuzzBudget = 8 << 20;

SDL_Surface* screen = nullptr;
std::string path;

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "picture_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

void removeFile() {
    unlink(path.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !(screen = SDL_SetVideoMode(800, 600, 16, SDL_SWSURFACE)))
        fail("no dummy screen", SDL_GetError());
    const char* folder = std::getenv("TMPDIR");
    path = std::string(folder ? folder : "/tmp") + "/picture-fuzz-" + std::to_string(getpid()) +
           ".gif";
    std::atexit(removeFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        fail("cannot write", path);

    // The second load comes from the bytes the gate kept, as for the second basil.
    CPictureGate gate(fuzzBudget);
    for (int load = 0; load < 2; ++load) {
        SDL_RWops* checked = gate.open(path.c_str(), screen->format->BytesPerPixel);
        if (!checked)
            return 0;
        SDL_Surface* loaded = IMG_Load_RW(checked, 1);
        if (!loaded)
            fail("a file let through does not load", IMG_GetError());
        const std::string differs = loaderDisagreement(data, size, loaded);
        if (!differs.empty())
            fail("the loader and giflib read it differently", differs);
        SDL_Surface* picture = SDL_DisplayFormat(loaded);
        SDL_FreeSurface(loaded);
        if (!picture)
            fail("a file let through does not convert", SDL_GetError());
        SDL_SetColorKey(picture, SDL_SRCCOLORKEY, SDL_MapRGB(picture->format, 0, 0, 0));
        SDL_Rect frame = {0, 0, 5, static_cast<Uint16>(picture->h)};
        SDL_Rect at = {10, 20, 0, 0};
        SDL_BlitSurface(picture, &frame, screen, &at);
        SDL_FreeSurface(picture);
    }
    return 0;
}
