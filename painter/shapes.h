#pragma once

#include "colour.h"

#include <cairo.h>

void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
Rgb mix(Rgb a, Rgb b, double t);

void ellipsePath(cairo_t* cr, double cx, double cy, double rx, double ry);

// Fills the current path and strokes it with the figure outline; the path is consumed.
void fillOutlined(cairo_t* cr, Rgb fill, double outlineWidth = 2.0);
void fillOutlined(cairo_t* cr, cairo_pattern_t* fill, double outlineWidth = 2.0);

// A rounded limb through three joints, outlined like every other part.
void limb(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2,
          double width, Rgb colour);

// A radial light-to-shade gradient for rounded bodies, lit from the upper left.
cairo_pattern_t* bodyShade(double cx, double cy, double radius, Rgb lit, Rgb shade);
