// A guard in front of the picture loader.
#pragma once

// True when `file` is a whole GIF, read to its trailer without decoding its pixels. Otherwise
// false, with the reason set as SDL's error. Each file is read once; later calls repeat the
// verdict, so a thousand sprites sharing a picture cost one check.
bool isCompleteGif(const char* file);
