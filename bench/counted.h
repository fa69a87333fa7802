// The frames callgrind counts: collection is switched on by this function's name, so that
// start-up and warm-up stay out of the count.
#pragma once

void countedFrames(void (*frame)(), int count);
