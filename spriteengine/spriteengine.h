// Frame-strip sprites and a layered collection of them, drawn back to front.
#pragma once

#include <SDL.h>

#include <vector>

// An inclusive range of frame indexes in a sprite's strip.
class CAnimation {
  public:
    int startFrame;
    int endFrame;

    constexpr CAnimation() : startFrame(0), endFrame(0) {}
    constexpr CAnimation(int start, int end) : startFrame(start), endFrame(end) {}

    void setFrames(int start, int end) {
        startFrame = start;
        endFrame = end;
    }
    int getStartFrame() const { return startFrame; }
    int getEndFrame() const { return endFrame; }
};

// A colour-key colour; only the low 8 bits of each channel are applied.
class CPColor {
  public:
    int r = 0;
    int g = 0;
    int b = 0;

    void setColor(int red, int green, int blue) {
        r = red;
        g = green;
        b = blue;
    }
    int getR() const { return r; }
    int getG() const { return g; }
    int getB() const { return b; }
};

// One picture, or one frame of a horizontal strip of equal-width frames, drawn onto a target at
// a floating-point position. Speeds are per second; the frame rate held turns them into steps.
// A plain value: copies share the picture, which is never freed.
class CSprite {
  public:
    SDL_Surface* image = nullptr; // converted to the display format
    SDL_Surface* target = nullptr;
    bool usePattern = false; // colour key on
    CPColor pattern;
    int alpha = 255; // per-surface alpha, applied while animated
    bool animated = false;
    int frameWidth = 0;   // pixels
    CAnimation frames;    // the whole strip
    CAnimation animation; // the range playing now
    float animSpeed = 1.0f; // frames per second
    float curFrame = 0.0f;  // frame position within the strip
    int layer = 0;          // smaller is nearer the viewer
    float posX = 0.0f;      // left edge, pixels
    float posY = 0.0f;      // top edge, pixels
    float moveSpeed = 1.0f; // pixels per second
    float spriteFps = 25.0f;

    // Loads and converts a GIF picture; every other setting is kept. A picture that cannot be
    // had leaves the sprite with none, so it is never drawn, and SDL's error says why.
    void Init(const char* file, int x, int y, SDL_Surface* target);

    void setPatternColor(bool on, int r, int g, int b);
    void setAlpha(int a) { alpha = a; }
    void setAnimation(bool on, int frameWidth);
    void playAnimation(CAnimation range);

    void setLayer(int l) { layer = l; }
    int getLayer() const { return layer; }
    void setMoveSpeed(float speed) { moveSpeed = speed; }
    void setAnimSpeed(float speed) { animSpeed = speed; }
    void updateFPS(float fps) { spriteFps = fps; }

    void moveUp();
    void moveDown();
    void moveLeft();
    void moveRight();
    void moveTo(int x, int y);
    int getPosX() const;
    int getPosY() const;
    void setOrder(int) {}

    void draw();
};

// The sprites of a scene by value, kept in ascending layer order as they are added.
class CSpriteEngine {
  public:
    std::vector<CSprite> sprites;
    int lastIndex = -1;

    void addSprite(CSprite s);
    void buble(int i);
    void updateFPS(float fps);
    void drawAll();
};
