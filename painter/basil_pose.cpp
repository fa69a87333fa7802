#include "basil_pose.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTau = 2 * M_PI;
constexpr double kFacingRightX = kStandingRight.x;
constexpr double kFacingLeftX = 90 - kFacingRightX;

double smooth(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

BasilPose standing(int index, int frames) {
    const double w = kTau * index / frames;
    BasilPose p;
    p.breath = std::sin(w);
    p.hip.y = -21 - 0.5 * std::sin(w);
    p.headNod = 0.03 * std::sin(w - 0.6);
    p.nearShoulder += 0.04 * std::sin(w);
    p.farShoulder += 0.06 * std::sin(w);
    p.hatSway = 1.6 * std::sin(w - 1.2);
    return p;
}

// Syllables of one sentence: how far the mouth opens on each frame.
constexpr double kSpeech[] = {0, 0.5, 1, 0.4, 0.8, 0.2, 0.9, 0.6, 0, 0.7, 1, 0.3, 0.6, 0.2, 0};

BasilPose speaking(int index, int frames) {
    const double t = static_cast<double>(index) / frames;
    const double gesture = std::sin(M_PI * t);
    BasilPose p = standing(index % 9, 9);
    p.mouth = kSpeech[index % std::size(kSpeech)];
    const double beat = gesture * (0.5 + 0.5 * std::sin(2 * kTau * t - M_PI / 2));
    p.nearShoulder = lerp(0.6, 1.35, beat);
    p.nearElbow = lerp(0.8, 0.55, beat);
    p.staffTilt = lerp(0.2, 0.32, beat);
    p.lean = 0.07 * gesture;
    p.headNod = -0.06 * gesture + 0.05 * std::sin(3 * kTau * t);
    p.brow = 0.6 * gesture;
    p.hatSway = 2 * std::sin(3 * kTau * t);
    return p;
}

// One row per frame of the strike: wind up over the head, swing, burst at the gem, recover.
struct StrikeKey {
    double lean, shoulder, elbow, staffTilt, hipY, step, mouth, brow, spark;
};
constexpr StrikeKey kStrike[] = {
    {-0.05, 0.8, 0.7, 0.0, -21, 4, 0, -0.4, 0},
    {-0.12, 2.2, 0.5, -0.35, -20.5, 3, 0.2, -1, 0},
    {-0.2, 2.7, 0.4, -0.55, -20, 2, 0.3, -1, 0},
    {0.1, 1.6, 0.1, 0.3, -19.5, 8, 0.8, -1, 0.3},
    {0.1, 1.2, 0.2, 0.45, -19.5, 9, 1, -1, 1},
    {0.1, 1.2, 0.2, 0.45, -19.5, 9, 0.9, -1, 0.7},
    {0.08, 1.15, 0.3, 0.48, -20, 9, 0.5, -0.6, 0.35},
    {0.06, 1.0, 0.5, 0.45, -20.5, 7, 0.2, -0.3, 0},
    {0.02, 0.75, 0.7, 0.3, -21, 5, 0, 0, 0},
    {0, 0.62, 0.8, 0.22, -21, 4, 0, 0, 0},
};

BasilPose striking(int index) {
    const StrikeKey& k = kStrike[index];
    BasilPose p;
    p.lean = k.lean;
    p.nearShoulder = k.shoulder;
    p.nearElbow = k.elbow;
    p.staffTilt = k.staffTilt;
    p.hip.y = k.hipY;
    p.nearFoot.x = k.step;
    p.farFoot.x = -4 - (k.step - 4) * 0.4;
    p.farShoulder = -0.4 - k.lean;
    p.mouth = k.mouth;
    p.brow = k.brow;
    p.spark = k.spark;
    p.hatSway = -k.lean * 10;
    return p;
}

BasilPose walking(int index, int frames) {
    const double w = kTau * index / frames;
    auto foot = [](double phase) {
        const double lift = std::max(0.0, std::cos(phase)) * 5;
        return Point{11 * std::sin(phase), -lift};
    };
    BasilPose p;
    p.nearFoot = foot(w);
    p.farFoot = foot(w + M_PI);
    p.hip.y = -19.4 - 2 * (1 + std::cos(2 * w)) / 2;
    p.lean = 0.12;
    p.farShoulder = 0.55 * std::sin(w);
    p.nearShoulder = 0.6 - 0.3 * std::sin(w);
    p.staffTilt = 0.2 - 0.12 * std::sin(w);
    p.headNod = 0.03 * std::cos(2 * w);
    p.hatSway = -2 * std::cos(2 * w);
    return p;
}

// Starts facing left and lands facing right: crouch, tumble as a ball over one full spin,
// land crouched, straighten into the first step of the walk.
BasilPose rolling(int index, int frames) {
    const int tumbleFrames = frames - 3;
    BasilPose p;
    if (index == 0) {
        p = standing(0, 9);
        p.facing = -1;
        p.at.x = kFacingLeftX;
        p.hip.y = -16;
        p.lean = 0.45;
        p.nearShoulder = 1.3;
        p.farShoulder = 1.1;
        p.nearFoot.x = 6;
        p.farFoot.x = -6;
        p.staffTilt = -0.3;
        p.eyelids = 0.5;
        p.brow = -0.5;
        return p;
    }
    if (index <= tumbleFrames) {
        const double s = (index - 0.5) / tumbleFrames;
        p.curled = true;
        p.facing = s < 0.5 ? -1 : 1;
        p.at.x = lerp(kFacingLeftX, kFacingRightX, smooth(s));
        p.hip = {0, -20 - 16 * std::sin(M_PI * s)};
        p.turn = p.facing * kTau * s;
        return p;
    }
    const double rise = static_cast<double>(index - tumbleFrames) / 2;
    p = standing(0, 9);
    p.hip.y = lerp(-15, -21, rise);
    p.lean = lerp(0.35, 0, rise);
    p.nearShoulder = lerp(1.2, 0.6, rise);
    p.farShoulder = lerp(1.0, -0.15, rise);
    p.nearFoot.x = lerp(7, 4, rise);
    p.farFoot.x = lerp(-7, -4, rise);
    p.hatSway = lerp(-4, 0, rise);
    return p;
}

// One row per frame of the fall: struck, staggering, sinking to the knees, toppling backwards.
struct FallKey {
    double turn, hipX, hipY, lean, arms, footX, footY, eyelids, mouth, brow;
    bool dazed, hatFallen;
};
constexpr FallKey kFall[] = {
    {-0.06, -1, -21, -0.15, 1.6, 4, 0, 0, 0.8, 1, false, false},
    {-0.14, -2, -20.5, -0.3, 2.0, 5, 0, 0, 1, 1, false, true},
    {-0.04, -3, -19, 0.3, 0.5, 4, 0, 0.6, 0.4, 0.6, false, true},
    {0, -1, -15, 0.45, 0.2, 5, 0, 0.8, 0.2, 0.3, false, true},
    {-0.1, 1, -11, 0.2, 0.4, 7, 0, 1, 0, 0.3, false, true},
    {-0.5, 5, -11, 0.05, 0.9, 8, -4, 1, 0.3, 0.5, false, true},
    {-1.0, 17, -12, 0, 1.4, 9, -8, 1, 0.3, 0.5, true, true},
    {-1.4, 23, -13, 0, 1.6, 9, -9, 1, 0.3, 0.5, true, true},
    {-1.62, 27, -15, 0, 1.7, 9, -9, 1, 0.2, 0.5, true, true},
    {-1.54, 27, -14, 0, 1.6, 9, -8, 1, 0.2, 0.5, true, true},
    {-1.57, 27, -14, 0, 1.6, 9, -8, 1, 0.2, 0.5, true, true},
};

BasilPose falling(int index) {
    const FallKey& k = kFall[index];
    BasilPose p;
    p.turn = k.turn;
    p.hip = {k.hipX, k.hipY};
    p.lean = k.lean;
    p.nearShoulder = k.arms;
    p.farShoulder = k.arms + 0.3;
    p.nearElbow = 0.4;
    p.staffTilt = -k.lean - 0.3 * k.turn;
    p.nearFoot = {k.hipX + k.footX, k.hipY + 21 + k.footY};
    p.farFoot = {k.hipX + k.footX - 7, k.hipY + 21 + k.footY};
    p.eyelids = k.eyelids;
    p.mouth = k.mouth;
    p.brow = k.brow;
    p.dazed = k.dazed;
    p.hatFallen = k.hatFallen;
    p.hatSway = 6;
    return p;
}

} // namespace

BasilPose basilPose(const FrameCue& cue) {
    switch (cue.range.action) {
    case Action::Speak:
        return speaking(cue.index, cue.ownFrames);
    case Action::Attack:
        return striking(cue.index);
    case Action::Walk:
        return walking(cue.index, cue.ownFrames);
    case Action::Roll:
        return rolling(cue.index, cue.ownFrames);
    case Action::Death:
        return falling(cue.index);
    default:
        return standing(cue.index, cue.ownFrames);
    }
}
