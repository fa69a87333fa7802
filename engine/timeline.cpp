// The play's cue list.
#include "timeline.h"

#include "cast.h"
#include "catalogue.h"
#include "scene.h"

#include <cstdlib>

namespace {

enum class Test {
    Point,   // the truncated cTime equals `from`
    Window,  // cTimeR > from and cTime < to: holds in every frame of later passes
    Walk,    // from < cTime < to
    AtLeast, // the truncated cTime is `from` or more, so a slow frame cannot step over it
};

enum class Action {
    Play,       // the member plays `range`, unless it is playing already
    WalkLeft,   // ... and takes one step left
    WalkRight,  // ... and takes one step right
    PlayAtHome, // ... and stands exactly where his walks began
    RainTarget, // the rain drifts toward a new random count
    NewPass,    // cTime starts again from 0
};

struct Cue {
    Test test;
    float from;
    float to;
    int member;
    CAnimation range;
    Action action;
};

constexpr int noMember = -1;
constexpr CAnimation noRange{};
constexpr int rainTargets = 999; // 0 to 998 drops

// clang-format off
constexpr Cue cues[] = {
    // test            from   to     member   range          action
    { Test::Window,    100,   101,   egg,     eggBuild1,     Action::Play },       //  1 first pass only
    { Test::Window,    111,   112,   egg,     eggStand,      Action::Play },       //  2
    { Test::Point,      80,     0,   basil1,  bSpeakLeft,    Action::Play },       //  3
    { Test::Point,      94,     0,   basil1,  bStandLeft,    Action::Play },       //  4
    { Test::Point,     100,     0,   basil0,  bAttackRight,  Action::Play },       //  5
    { Test::Point,     104,     0,   om,      omPain,        Action::Play },       //  6
    { Test::Point,     109,     0,   basil0,  bStandRight,   Action::Play },       //  7
    { Test::Point,     116,     0,   om,      omStand,       Action::Play },       //  8
    { Test::Point,     130,     0,   egg,     eggPain,       Action::Play },       //  9
    { Test::Point,     143,     0,   egg,     eggStand,      Action::Play },       // 10
    { Test::Point,     200,     0,   basil0,  bAttackRight,  Action::Play },       // 11
    { Test::Point,     204,     0,   om,      omPain,        Action::Play },       // 12
    { Test::Point,     209,     0,   basil0,  bStandRight,   Action::Play },       // 13
    { Test::Point,     216,     0,   om,      omStand,       Action::Play },       // 14
    { Test::Point,     230,     0,   egg,     eggPain,       Action::Play },       // 15
    { Test::Point,     243,     0,   egg,     eggStand,      Action::Play },       // 16
    { Test::Point,     300,     0,   basil0,  bAttackRight,  Action::Play },       // 17
    { Test::Point,     304,     0,   om,      omPain,        Action::Play },       // 18
    { Test::Point,     309,     0,   basil0,  bStandRight,   Action::Play },       // 19
    { Test::Point,     316,     0,   om,      omStand,       Action::Play },       // 20
    { Test::Point,     330,     0,   egg,     eggPain,       Action::Play },       // 21
    { Test::Point,     343,     0,   egg,     eggStand,      Action::Play },       // 22
    { Test::Point,     150,     0,   noMember, noRange,      Action::RainTarget }, // 23
    { Test::Walk,      140,   175,   basil1,  bMoveLeft,     Action::WalkLeft },   // 24
    { Test::Point,     175,     0,   basil1,  bStandLeft,    Action::Play },       // 25
    { Test::Point,     220,     0,   basil1,  bRollL2R,      Action::Play },       // 26
    { Test::Point,     231,     0,   basil1,  bStandRight,   Action::Play },       // 27
    { Test::Walk,      280,   315,   basil1,  bMoveRight,    Action::WalkRight },  // 28
    { Test::Point,     315,     0,   basil1,  bStandRight,   Action::PlayAtHome }, // 29
    { Test::Point,     350,     0,   basil1,  bSpeakRight,   Action::Play },       // 30
    { Test::Point,     364,     0,   basil1,  bStandRight,   Action::Play },       // 31
    { Test::Point,     380,     0,   basil1,  bRollR2L,      Action::Play },       // 32
    { Test::Point,     391,     0,   basil1,  bStandLeft,    Action::Play },       // 33
    { Test::AtLeast,   400,     0,   noMember, noRange,      Action::NewPass },    // 34
};
// clang-format on

bool holds(const Cue& cue) {
    switch (cue.test) {
    case Test::Point:
        return static_cast<int>(cTime) == static_cast<int>(cue.from);
    case Test::Window:
        return cTimeR > cue.from && cTime < cue.to;
    case Test::Walk:
        return cue.from < cTime && cTime < cue.to;
    case Test::AtLeast:
        return static_cast<int>(cTime) >= static_cast<int>(cue.from);
    }
    return false;
}

void perform(const Cue& cue) {
    switch (cue.action) {
    case Action::Play:
        se.sprites[cue.member].playAnimation(cue.range);
        break;
    case Action::WalkLeft:
        se.sprites[cue.member].playAnimation(cue.range);
        se.sprites[cue.member].moveLeft();
        break;
    case Action::WalkRight:
        se.sprites[cue.member].playAnimation(cue.range);
        se.sprites[cue.member].moveRight();
        break;
    case Action::PlayAtHome:
        // Steps taken at uneven frame rates never cancel exactly; setting him back once a pass
        // keeps him on his ledge however long the saver runs.
        se.sprites[cue.member].playAnimation(cue.range);
        se.sprites[cue.member].posX = static_cast<float>(walkerHomeX);
        break;
    case Action::RainTarget:
        dest.setNewCount(std::rand() % rainTargets);
        break;
    case Action::NewPass:
        cTime = 0.0f;
        break;
    }
}

} // namespace

void runTimeline() {
    for (const Cue& cue : cues)
        if (holds(cue))
            perform(cue);
}
