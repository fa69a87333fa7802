// Pictures written by the tests themselves, and pixels read back off a surface.
#pragma once

#include <SDL.h>

#include <functional>
#include <string>

// A path in a scratch folder of this test process's own, so tests running side by side never
// write over each other's pictures.
std::string scratchPath(const std::string& name);

// Colours are 0xRRGGBB.
using ColourAt = std::function<Uint32(int x, int y)>;

// Writes a GIF of at most 256 colours into the test's scratch folder and returns its path.
std::string writePicture(const std::string& name, int width, int height, const ColourAt& colour);

// A strip of `frames` frames, each filled with frameColour(f).
std::string writeStrip(const std::string& name, int frames, int frameWidth, int height);
Uint32 frameColour(int frame);

// The frame of a writeStrip picture whose colour shows at (x, y), or -1 for any other colour.
int frameShownAt(SDL_Surface* surface, int x, int y);

Uint32 pixelAt(SDL_Surface* surface, int x, int y);
// A hash of every visible pixel, to tell two screens apart.
size_t surfaceHash(SDL_Surface* surface);
Uint32 mapped(SDL_Surface* surface, Uint32 rgb);
bool showsColour(SDL_Surface* surface, int x, int y, Uint32 rgb);
void fill(SDL_Surface* surface, Uint32 rgb);
