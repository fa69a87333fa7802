#include "shapes.h"

#include <cmath>

void setColour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

Rgb mix(Rgb a, Rgb b, double t) {
    auto channel = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + (y - x) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

void ellipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

static void strokeOutline(cairo_t* cr, double outlineWidth) {
    setColour(cr, kOutline);
    cairo_set_line_width(cr, outlineWidth);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void fillOutlined(cairo_t* cr, Rgb fill, double outlineWidth) {
    setColour(cr, fill);
    cairo_fill_preserve(cr);
    strokeOutline(cr, outlineWidth);
}

void fillOutlined(cairo_t* cr, cairo_pattern_t* fill, double outlineWidth) {
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    strokeOutline(cr, outlineWidth);
}

void limb(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2,
          double width, Rgb colour) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int pass = 0; pass < 2; ++pass) {
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_line_to(cr, x2, y2);
        setColour(cr, pass == 0 ? kOutline : colour);
        cairo_set_line_width(cr, pass == 0 ? width + 3 : width);
        cairo_stroke(cr);
    }
}

cairo_pattern_t* bodyShade(double cx, double cy, double radius, Rgb lit, Rgb shade) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - radius * 0.35, cy - radius * 0.4,
                                                     radius * 0.1, cx, cy, radius * 1.25);
    cairo_pattern_add_color_stop_rgb(p, 0, lit.r / 255.0, lit.g / 255.0, lit.b / 255.0);
    cairo_pattern_add_color_stop_rgb(p, 1, shade.r / 255.0, shade.g / 255.0, shade.b / 255.0);
    return p;
}
