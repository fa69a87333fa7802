// The two things the benchmark sets against each other: the scene, and the raw SDL calls that
// draw what it draws with no scene logic around them, the fastest any scene could be.
#pragma once

#include <SDL.h>

// The scene's own start: the video system and its full-screen mode.
bool openSceneScreen();
// The cast and the rain, with 998 drops falling and the frame clock fed 1 ms a frame, so that
// every run does the same work.
bool loadScene();
void sceneFrame();
int fallingDrops();

// The same video system start and mode with plain SDL calls.
bool openFloorScreen();
// The same 1006 pictures, each loaded and converted once, keyed where the scene keys them.
bool loadFloor(SDL_Surface* target);
// One backdrop copy, four keyed character frames, 998 keyed drops, one flip.
void floorFrame();

constexpr int activeDrops = 998;
