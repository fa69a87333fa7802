// Frame-strip sprites and the layered sprite engine.
#include "spriteengine.h"

#include "picture_gate.h"

#include <SDL_image.h>

#include <utility>

namespace {

// Positions and strip offsets are truncated toward zero; anything beyond the 16-bit blit range
// is pinned to its edge, where the clipped blit draws nothing, instead of wrapping onto the screen.
Sint16 toBlitCoordinate(double v) {
    if (!(v > -32768.0))
        return -32768;
    if (v >= 32767.0)
        return 32767;
    return static_cast<Sint16>(v);
}

// A step is formed in double precision and rounded to a float once, when stored.
float stepped(float value, float perSecond, float fps, double sign) {
    return static_cast<float>(static_cast<double>(value) +
                              sign * static_cast<double>(perSecond) / static_cast<double>(fps));
}

// SDL returns at once from setting a colour key or an alpha the surface already has, but the
// call itself, made for a thousand sprites a frame, is a measurable share of the frame: these
// make SDL's own test first.
#ifdef __EMSCRIPTEN__
// The browser's SDL keeps neither in the pixel format; the web build's colour key makes the test
// itself, and its alpha is a store.
bool keyed(const SDL_Surface*, Uint32) {
    return false;
}

bool blended(const SDL_Surface*, Uint8) {
    return false;
}
#else
bool keyed(const SDL_Surface* s, Uint32 key) {
    return (s->flags & (SDL_SRCCOLORKEY | SDL_RLEACCELOK)) == SDL_SRCCOLORKEY &&
           s->format->colorkey == key;
}

bool blended(const SDL_Surface* s, Uint8 alpha) {
    return (s->flags & (SDL_SRCALPHA | SDL_RLEACCELOK)) == SDL_SRCALPHA && s->format->alpha == alpha;
}
#endif

// An opaque alpha draws the same pixels as none. Classic SDL blits it as a plain (keyed) copy,
// but sdl12-compat turns it into a blend mode that sends every blit through a blending loop:
// a picture that carries no alpha is left without one.
bool alphaNeeded(const SDL_Surface* s, Uint8 alpha) {
    if (alpha == SDL_ALPHA_OPAQUE && !(s->flags & SDL_SRCALPHA))
        return false;
    return !blended(s, alpha);
}

} // namespace

void CSprite::Init(const char* file, int x, int y, SDL_Surface* t) {
    posX = static_cast<float>(x);
    posY = static_cast<float>(y);
    target = t;
    image = nullptr;

    SDL_RWops* checked = openCheckedPicture(file);
    if (!checked)
        return;
    SDL_Surface* loaded = IMG_Load_RW(checked, 1);
    if (!loaded)
        return;
    image = SDL_DisplayFormat(loaded);
    // Only the converted copy is ever drawn.
    SDL_FreeSurface(loaded);
}

void CSprite::setPatternColor(bool on, int r, int g, int b) {
    usePattern = on;
    pattern.setColor(r, g, b);
}

void CSprite::setAnimation(bool on, int fw) {
    if (!image || fw <= 0)
        return;
    const int width = image->w;
    // A frame width must divide the strip exactly and leave room for at least two frames.
    if (width % fw != 0 || width <= fw)
        return;
    animated = on;
    frameWidth = fw;
    frames = CAnimation(0, width / fw - 1);
    animation = frames;
    curFrame = 0.0f;
}

void CSprite::playAnimation(CAnimation range) {
    // Asking for the range already playing lets it run on, so callers may ask on every frame.
    if (animation.startFrame == range.startFrame && animation.endFrame == range.endFrame)
        return;
    animation = range;
    curFrame = static_cast<float>(range.startFrame);
}

void CSprite::moveUp() { posY = stepped(posY, moveSpeed, spriteFps, -1.0); }
void CSprite::moveDown() { posY = stepped(posY, moveSpeed, spriteFps, +1.0); }
void CSprite::moveLeft() { posX = stepped(posX, moveSpeed, spriteFps, -1.0); }
void CSprite::moveRight() { posX = stepped(posX, moveSpeed, spriteFps, +1.0); }

void CSprite::moveTo(int x, int y) {
    posX = static_cast<float>(x);
    posY = static_cast<float>(y);
}

int CSprite::getPosX() const { return static_cast<int>(posX); }
int CSprite::getPosY() const { return static_cast<int>(posY); }

void CSprite::draw() {
    if (!image)
        return;
    SDL_Rect destination = {toBlitCoordinate(posX), toBlitCoordinate(posY), 0, 0};

    if (usePattern) {
        const Uint32 key = SDL_MapRGB(image->format, static_cast<Uint8>(pattern.getR() & 0xFF),
                                      static_cast<Uint8>(pattern.getG() & 0xFF),
                                      static_cast<Uint8>(pattern.getB() & 0xFF));
        if (!keyed(image, key))
            SDL_SetColorKey(image, SDL_SRCCOLORKEY, key);
    }

    if (!animated) {
        SDL_BlitSurface(image, nullptr, target, &destination);
        return;
    }

    // The reset and the advance never happen in the same draw, so the end frame is shown once.
    if (curFrame >= static_cast<float>(animation.endFrame))
        curFrame = static_cast<float>(animation.startFrame);
    else
        curFrame = stepped(curFrame, animSpeed, spriteFps, +1.0);

    const double shown = static_cast<double>(static_cast<long long>(curFrame));
    SDL_Rect source = {toBlitCoordinate(shown * frameWidth), 0, static_cast<Uint16>(frameWidth),
                       static_cast<Uint16>(image->h)};
    const Uint8 surfaceAlpha = static_cast<Uint8>(alpha & 0xFF);
    if (alphaNeeded(image, surfaceAlpha))
        SDL_SetAlpha(image, SDL_SRCALPHA, surfaceAlpha);
    SDL_BlitSurface(image, &source, target, &destination);
}

void CSpriteEngine::addSprite(CSprite s) {
    sprites.push_back(s);
    ++lastIndex;
    if (lastIndex > 0)
        buble(lastIndex);
}

// The strict comparison keeps sprites of equal layer in the order they were added.
void CSpriteEngine::buble(int i) {
    while (i > 0 && sprites[i - 1].layer > sprites[i].layer) {
        std::swap(sprites[i - 1], sprites[i]);
        --i;
    }
}

void CSpriteEngine::updateFPS(float fps) {
    for (int i = 0; i <= lastIndex; ++i)
        sprites[i].updateFPS(fps);
}

// The largest layers sit at the highest indexes and are painted first, at the back.
void CSpriteEngine::drawAll() {
    for (int i = lastIndex; i >= 0; --i)
        sprites[i].draw();
}
