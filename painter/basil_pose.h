#pragma once

#include "point.h"
#include "strip.h"

// Facing right he stands a little behind the frame's middle, leaving room for his staff.
inline constexpr Point kStandingRight{40, 114};

// Basil is drawn facing right in his own space: x forward, y down, the origin on the ground
// under his hip. Angles are in radians; arm angles start from hanging straight down and
// grow forward, the staff's from upright.
struct BasilPose {
    Point at = kStandingRight; // where his ground point sits in the frame
    int facing = 1;            // 1 right, -1 left
    Point hip{0, -21};
    double turn = 0; // the whole figure about the hip
    double lean = 0; // the upper body about the hip
    double breath = 0;
    Point nearFoot{4, 0};
    Point farFoot{-4, 0};
    double nearShoulder = 0.6, nearElbow = 0.8;
    double farShoulder = -0.15, farElbow = 0.35;
    double staffTilt = 0.2;
    double headNod = 0;
    double mouth = 0;   // 0 shut .. 1 wide open
    double eyelids = 0; // 0 open .. 1 shut
    double brow = 0;    // -1 fierce .. 1 startled
    bool dazed = false;
    double hatSway = 0;
    bool hatFallen = false;
    double spark = 0;    // burst at the staff's gem, 0 .. 1
    bool curled = false; // tumbling as a ball around `hip`, spun by `turn`
};

BasilPose basilPose(const FrameCue& cue);
