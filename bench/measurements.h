// The benchmark's measurements, each the scene against its floor.
#pragma once

#include <string>

struct Comparison {
    bool measured = false;
    double scene = 0.0;
    double floor = 0.0;
    double ratio = 0.0; // scene / floor
    std::string why;    // what stopped the measurement
};

// Both subjects loaded in one process, onto one screen. Rounds alternate which goes first so
// that a burst of machine noise lands on both alike; microseconds a frame, and the median of
// the rounds' own ratios. `screen` names the SDL, the video driver and the mode they ran on.
Comparison measureFrameCost(int rounds, int framesPerRound, std::string* screen);

struct StartUp {
    Comparison milliseconds;
    Comparison peakMemoryMiB;
};
// `processes` fresh runs of each subject, alternating.
StartUp measureStartUp(int processes);

struct Instructions {
    Comparison startUp;
    Comparison perFrame;
};
// Counted by callgrind: the start-up, and a frame over `frames` frames after a warm-up.
Instructions measureInstructions(int frames);

// What the child runs of this program do, each in a fresh process, by their arguments; an exit
// status.
int runFrameCostChild(int rounds, int framesPerRound);
int runStartUpChild(const std::string& subject);
int runCountedChild(const std::string& subject, int frames);
