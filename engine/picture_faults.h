// Names, on stderr, a picture the scene cannot show as it should, and what the viewer loses.
// A screen saver runs unattended: each faulty file gets one line, however many sprites use it.
#pragma once

#include "spriteengine.h"

// After `Init`: a sprite left without its picture.
void reportIfMissing(const char* file, const CSprite& s, const char* loss);

// After `setAnimation`: a picture that does not divide into two or more frames of `frameWidth`.
void reportIfNoStrip(const char* file, const CSprite& s, int frameWidth, const char* loss);

// A backdrop smaller than the screen: what it leaves uncovered is never repainted.
void reportIfNotCovering(const char* file, const CSprite& s, int width, int height);
