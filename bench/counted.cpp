#include "counted.h"

// Kept in a file of its own so the compiler cannot fold it into its caller.
void countedFrames(void (*frame)(), int count) {
    for (int i = 0; i < count; ++i)
        frame();
}
