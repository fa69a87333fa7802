#include "subjects.h"

#include "cast.h"
#include "scene.h"

#include <SDL_image.h>

#include <cstdlib>

namespace {

Uint32 fedNow;
Uint32 fedTicks() {
    return fedNow;
}

constexpr int width = 800;
constexpr int height = 600;
constexpr int depth = 16;
constexpr Uint32 videoFlags =
    SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_ANYFORMAT | SDL_HWACCEL | SDL_HWSURFACE;

struct Blit {
    SDL_Surface* picture;
    SDL_Rect source;
    SDL_Rect at;
};

struct Floor {
    SDL_Surface* target = nullptr;
    Blit backdrop{};
    Blit characters[4]{};
    Blit drops[activeDrops]{};
};
Floor raw;

SDL_Surface* loadConverted(const char* file) {
    SDL_Surface* loaded = IMG_Load(file);
    if (!loaded)
        return nullptr;
    SDL_Surface* converted = SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    return converted;
}

SDL_Surface* loadKeyed(const char* file) {
    SDL_Surface* picture = loadConverted(file);
    if (picture)
        SDL_SetColorKey(picture, SDL_SRCCOLORKEY, SDL_MapRGB(picture->format, 0, 0, 0));
    return picture;
}

Blit blitOf(SDL_Surface* picture, Uint16 frameWidth, int x, int y) {
    const Uint16 frameHeight = picture ? static_cast<Uint16>(picture->h) : 0;
    return {picture,
            {0, 0, frameWidth, frameHeight},
            {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0}};
}

void draw(Blit& b) {
    SDL_Rect at = b.at; // SDL writes the clipped rectangle back
    SDL_BlitSurface(b.picture, &b.source, raw.target, &at);
}

} // namespace

bool openSceneScreen() {
    return openScreen();
}

bool loadScene() {
    setUpCast();
    dest.init(screen);
    dest.newCount = dest.dropCount = activeDrops;
    tickSource = fedTicks;
    for (const CSprite& member : se.sprites)
        if (!member.image)
            return false;
    for (const CSprite& drop : dest.drops)
        if (!drop.image)
            return false;
    return true;
}

void sceneFrame() {
    ++fedNow;
    runFrame();
}

int fallingDrops() {
    return dest.dropCount;
}

bool openFloorScreen() {
    return SDL_Init(SDL_INIT_VIDEO) == 0 &&
           SDL_SetVideoMode(width, height, depth, videoFlags) != nullptr;
}

bool loadFloor(SDL_Surface* target) {
    raw.target = target;
    SDL_Surface* backdrop = loadConverted("001.gif");
    raw.backdrop = blitOf(backdrop, width, 0, 0);
    raw.characters[0] = blitOf(loadKeyed("basil.gif"), 90, 30, 470);
    raw.characters[1] = blitOf(loadKeyed("basil.gif"), 90, 560, 195);
    raw.characters[2] = blitOf(loadKeyed("om.gif"), 180, 100, 320);
    raw.characters[3] = blitOf(loadKeyed("egg.gif"), 70, 650, 420);
    bool complete = backdrop != nullptr;
    for (const Blit& c : raw.characters)
        complete = complete && c.picture;
    // The pool holds two more drops than ever fall; they are loaded all the same.
    constexpr int pool = 1000;
    for (int i = 0; i < pool; ++i) {
        SDL_Surface* drop = loadKeyed(i % 2 == 0 ? "kapka.gif" : "kapka2.gif");
        complete = complete && drop;
        if (i < activeDrops)
            raw.drops[i] = blitOf(drop, 5, std::rand() % width, std::rand() % 580);
    }
    return complete;
}

void floorFrame() {
    draw(raw.backdrop);
    for (Blit& c : raw.characters)
        draw(c);
    for (Blit& d : raw.drops)
        draw(d);
    SDL_Flip(raw.target);
}
