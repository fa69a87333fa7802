// How the frames a window shows keep up with the display: both counted over the same span, the
// frames from the X server's damage reports, the display's refreshes from its Present frame
// counter.
#pragma once

#include "xserver.h"

struct FramesAndRefreshes {
    long frames = -1;    // -1 when the server has no DAMAGE extension
    long refreshes = -1; // -1 when it has no Present extension
};

// Counts over `spanMs` milliseconds on the server `x`; `window` 0 counts every window on the
// screen, which the root's damage takes in.
FramesAndRefreshes framesAndRefreshes(const XServer& x, unsigned long window, int spanMs);
