#include "frame_ranges.h"

#include <stdexcept>

// Heights put each character's feet on the ground the backdrop draws under it.
// clang-format off
const StripLayout kBasilStrip{
    "basil.gif", 90, 114, 134,
    {
        {"bStandRight",  0,   8,   Action::Stand,  nullptr},
        {"bStandLeft",   9,   17,  Action::Stand,  "bStandRight"},
        {"bSpeakRight",  18,  32,  Action::Speak,  nullptr},
        {"bSpeakLeft",   33,  47,  Action::Speak,  "bSpeakRight"},
        {"bRollR2L",     48,  59,  Action::Roll,   "bRollL2R"},
        {"bRollL2R",     60,  71,  Action::Roll,   nullptr},
        {"bMoveRight",   70,  80,  Action::Walk,   nullptr},
        {"bMoveLeft",    81,  91,  Action::Walk,   "bMoveRight"},
        {"bDeathRight",  92,  102, Action::Death,  nullptr},
        {"bDeathLeft",   103, 113, Action::Death,  "bDeathRight"},
        {"bAttackRight", 114, 123, Action::Attack, nullptr},
        {"bAttackLeft",  124, 133, Action::Attack, "bAttackRight"},
    }};

const StripLayout kOmStrip{
    "om.gif", 180, 170, 14,
    {
        {"omStand", 0, 0,  Action::Stand,  nullptr},
        {"omPain",  1, 13, Action::Flinch, nullptr},
    }};

const StripLayout kEggStrip{
    "egg.gif", 70, 90, 26,
    {
        {"eggBuild0", 0,  0,  Action::Build,  nullptr},
        {"eggBuild1", 1,  12, Action::Build,  nullptr},
        {"eggStand",  13, 13, Action::Stand,  nullptr},
        {"eggPain",   13, 25, Action::Flinch, nullptr},
    }};
// clang-format on

const FrameRange& StripLayout::range(const std::string& name) const {
    for (const FrameRange& r : ranges) {
        if (name == r.name) {
            return r;
        }
    }
    throw std::logic_error("no frame range " + name);
}

std::string StripLayout::label(int frame) const {
    std::string names;
    for (const FrameRange& r : ranges) {
        if (r.holds(frame)) {
            names += (names.empty() ? "" : "/") + std::string(r.name);
        }
    }
    return names;
}
