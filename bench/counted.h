// What callgrind counts: collection is switched on by these functions' names, so that warm-up
// and everything around them stay out of the count.
#pragma once

#include <string>

void countedFrames(void (*frame)(), int count);
// The start-up: the video start to the end of set-up, as the start-up time measures it.
bool countedStartUp(bool (*setUp)(const std::string&), const std::string& subject);
