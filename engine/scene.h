// The scene's globals and the steps of the program that the entry runs.
#pragma once

#include "rain.h"
#include "spriteengine.h"

#include <SDL.h>

extern bool done;
extern SDL_Surface* screen;
extern CSpriteEngine se;
extern CSprite sprite;
extern CDest dest;
extern float fps;        // frames per second, measured this frame
extern Uint32 last_tick; // milliseconds, read at the end of the previous measurement
extern float cTime;      // scene units, 13 a second; set back to 0 once per pass
extern float cTimeR;     // scene units, never set back

// The millisecond clock the frame rate is measured with; tests feed their own.
extern Uint32 (*tickSource)();

// True when the environment variable is set to something other than nothing.
bool isSet(const char* variable);
// True on sdl12-compat, SDL 1.2 rebuilt on SDL2, which numbers itself from 1.2.50; false on the
// classic library.
bool onSdl12Compat();

// True when the first argument asks for the screen-saver preview or configuration.
bool isPreviewOrConfigRequest(int argc, char* argv[]);

// True when a screen-saver host gave the program its window to draw into (SDL_WINDOWID).
bool hostWindowGiven();

// For a run in a host's window: the host's SIGTERM (or SIGINT) ends the process at once,
// whatever SDL is doing, and SIGALRM, which the frame loop keeps putting off, ends one that has
// hung. Standalone, SDL turns SIGTERM and SIGINT into quit requests, so the display is restored.
void endPromptlyUnderHost();

// Starts the video system and opens the full-screen mode; names the fault and returns false
// when either cannot be had.
bool openScreen();

// Drains the event queue; false when the viewer asked to stop.
bool ProcessEvent();

// One pass of the frame loop: input, script, timing, drawing, clocks.
void runFrame();

// Everything before the first frame: the pictures' folder, the screen, the cast and the rain.
// False, having said why, when the scene cannot be played.
bool startScene(char* argv[]);

// One frame as the system wants it played: runFrame() with what the host, the monitors and the
// display ask of each frame around it. The desktop loops on it until done; a web page calls it
// once per display frame.
void playFrame();

extern "C" int SDL_main(int argc, char* argv[]);
