#pragma once

#include <string>
#include <vector>

enum class Action { Stand, Speak, Roll, Walk, Death, Attack, Flinch, Build };

// A named, inclusive run of frames in a strip and what the character does in it.
// A range with a mirror partner is painted as that partner flipped left to right.
struct FrameRange {
    const char* name;
    int first;
    int last;
    Action action;
    const char* mirrorOf;

    int length() const { return last - first + 1; }
    bool holds(int frame) const { return frame >= first && frame <= last; }
};

struct StripLayout {
    const char* file;
    int frameWidth;
    int height;
    int frames;
    std::vector<FrameRange> ranges;

    int width() const { return frameWidth * frames; }
    const FrameRange& range(const std::string& name) const;
    // Every range name showing the frame, joined with "/".
    std::string label(int frame) const;
};

extern const StripLayout kBasilStrip;
extern const StripLayout kOmStrip;
extern const StripLayout kEggStrip;
