// giflib reading a GIF held in memory: the reader the tests and the fuzzer hold the loader's
// pixels against.
#pragma once

#include <gif_lib.h>

#include <cstddef>

// Bytes in memory, read by giflib as it would read a file; `at` moves on as it reads.
struct GifMemory {
    const unsigned char* bytes;
    std::size_t size;
    std::size_t at;
};

// giflib reading `memory`, which must outlive it; null, with giflib's error in `error`, when it
// is not a GIF.
GifFileType* openGifInMemory(GifMemory& memory, int* error);
