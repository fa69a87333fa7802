// The play: the cues that make the cast act as the scene clocks run.
#pragma once

// Tests every cue once, in order, against `cTime` and `cTimeR`.
void runTimeline();
