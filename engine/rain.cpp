// The rain.
#include "rain.h"

#include "picture_faults.h"

#include <cstdlib>

namespace {

constexpr int screenWidth = 800;
constexpr int startRows = 400;   // drops begin anywhere in the upper two thirds
constexpr int restartRows = 50;  // a drop that reached the bottom comes back near the top
constexpr int bottomRow = 580;   // a drop whose top edge passes it is brought back
constexpr int dropFrameWidth = 5;

} // namespace

void CDest::init(SDL_Surface* target) {
    dropAnim = CAnimation(0, 0);
    for (CSprite& drop : drops) {
        // Four draws per drop, in this order, so every run rains alike.
        const int x = std::rand() % screenWidth;
        const int y = std::rand() % startRows;
        const float speed = static_cast<float>(std::rand() % 300 + 270); // pixels per second
        const char* picture = std::rand() % 2 == 0 ? "kapka.gif" : "kapka2.gif";

        drop.Init(picture, x, y, target);
        reportIfMissing(picture, drop, "the drops drawn with it are left out");
        drop.setPatternColor(true, 0, 0, 0);
        drop.setAnimation(true, dropFrameWidth);
        reportIfNoStrip(picture, drop, dropFrameWidth, "its drops are drawn whole");
        drop.playAnimation(dropAnim);
        drop.setMoveSpeed(speed);
    }
    dropCount = 0;
    newCount = 0;
}

void CDest::run(float fps) {
    for (int i = 0; i < dropCount; ++i) {
        CSprite& drop = drops[i];
        // A drop falls by the rate of the frame before, so it is handed this one afterwards.
        drop.draw();
        drop.moveDown();
        drop.updateFPS(fps);
        if (drop.getPosY() > bottomRow) {
            const int x = std::rand() % screenWidth;
            const int y = std::rand() % restartRows;
            const float speed = static_cast<float>(std::rand() % 100 + 250);
            drop.setMoveSpeed(speed);
            drop.moveTo(x, y);
        }
    }
    if (dropCount > newCount)
        --dropCount;
    else if (dropCount < newCount)
        ++dropCount;
}

void CDest::setNewCount(int n) {
    if (n < 0)
        n = 0;
    if (n > poolSize)
        n = poolSize;
    newCount = n;
}
