#include "picture_faults.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Files already named; filled during start-up only.
bool firstFault(const char* file) {
    static std::vector<std::string> named;
    for (const std::string& n : named)
        if (n == file)
            return false;
    named.emplace_back(file);
    return true;
}

} // namespace

void reportIfMissing(const char* file, const CSprite& s, const char* loss) {
    if (!s.image && firstFault(file))
        std::fprintf(stderr, "basilrain: cannot use %s (%s); %s\n", file, SDL_GetError(), loss);
}

void reportIfNoStrip(const char* file, const CSprite& s, int frameWidth, const char* loss) {
    if (!s.image)
        return;
    const int width = s.image->w;
    if ((width % frameWidth != 0 || width <= frameWidth) && firstFault(file))
        std::fprintf(stderr,
                     "basilrain: %s is %d pixel%s wide, not two or more frames of %d pixels; %s\n",
                     file, width, width == 1 ? "" : "s", frameWidth, loss);
}

void reportIfNotCovering(const char* file, const CSprite& s, int width, int height) {
    if (s.image && (s.image->w < width || s.image->h < height) && firstFault(file))
        std::fprintf(stderr,
                     "basilrain: %s is only %dx%d, smaller than the %dx%d screen; what it leaves "
                     "uncovered is never repainted and smears\n",
                     file, s.image->w, s.image->h, width, height);
}
