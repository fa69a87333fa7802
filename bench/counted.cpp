#include "counted.h"

// Never folded into their callers, link-time optimisation included: callgrind finds them by name.
__attribute__((noinline)) void countedFrames(void (*frame)(), int count) {
    for (int i = 0; i < count; ++i)
        frame();
}

__attribute__((noinline)) bool countedStartUp(bool (*setUp)(const std::string&),
                                              const std::string& subject) {
    return setUp(subject);
}
