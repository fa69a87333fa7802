#pragma once

#include "basil_pose.h"

#include <cairo.h>

void drawBasil(cairo_t* cr, const BasilPose& pose);
