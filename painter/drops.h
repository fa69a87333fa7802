#pragma once

#include "canvas.h"
#include "frame_ranges.h"

// Two-frame strips of 5-pixel frames; only the first frame is ever shown.
extern const StripLayout kStreakStrip;
extern const StripLayout kRoundDropStrip;

Canvas paintStreak();
Canvas paintRoundDrop();
