// The rain: a fixed pool of drops whose active count drifts toward a target.
#pragma once

#include "spriteengine.h"

class CDest {
  public:
    static constexpr int poolSize = 1000;

    CSprite drops[poolSize]; // the first dropCount of them fall
    CAnimation dropAnim;     // every drop shows frame 0
    int dropCount = 0;
    int newCount = 0; // dropCount moves one step a frame toward it

    // Loads all the drops at random places on `target`; no drop falls until a target is set.
    void init(SDL_Surface* target);
    // Draws and moves the active drops, then moves the count one step toward the target.
    void run(float fps);
    // Targets outside the pool are pinned to its bounds.
    void setNewCount(int n);
};
