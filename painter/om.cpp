#include "om.h"

#include "point.h"
#include "shapes.h"
#include "strip.h"

#include <cmath>

namespace {

constexpr Rgb kStone{156, 154, 142};
constexpr Rgb kStoneShade{78, 80, 96};
constexpr Rgb kMoss{112, 156, 76};
constexpr Rgb kMossShade{54, 96, 60};
constexpr Rgb kLichen{186, 176, 120};
constexpr Rgb kEye{255, 206, 84};
constexpr Rgb kMouth{70, 30, 44};
constexpr Rgb kTusk{242, 234, 208};
constexpr Rgb kStar{255, 236, 120};

// How hard the blow still shakes him on each frame of the flinch; he is back at rest by the
// last one, which is also how he stands.
constexpr double kShock[] = {0.75, 1,    0.9,   0.75,  0.6,   0.45, 0.3,
                             0.18, 0.08, -0.05, -0.07, -0.03, 0};

// Om faces left, toward whoever strikes him, and is drawn with the origin on the ground
// under his middle.
void boulderPath(cairo_t* cr) {
    cairo_move_to(cr, -52, -44);
    cairo_curve_to(cr, -60, -80, -40, -116, 0, -118);
    cairo_curve_to(cr, 36, -120, 58, -92, 56, -58);
    cairo_curve_to(cr, 56, -30, 40, -14, 0, -14);
    cairo_curve_to(cr, -38, -14, -48, -24, -52, -44);
    cairo_close_path(cr);
}

void leg(cairo_t* cr, double x) {
    cairo_move_to(cr, x - 14, -26);
    cairo_line_to(cr, x + 14, -26);
    cairo_curve_to(cr, x + 16, -12, x + 18, -2, x + 12, 0);
    cairo_line_to(cr, x - 16, 0);
    cairo_curve_to(cr, x - 20, -6, x - 16, -14, x - 14, -26);
    cairo_close_path(cr);
    fillOutlined(cr, bodyShade(x, -14, 16, kStone, kStoneShade), 2.2);
}

// Arms hang at the sides; `raise` lifts the upper arm outward and folds the fist back in
// over the head.
void arm(cairo_t* cr, Point shoulder, double raise, bool far) {
    const Rgb lit = far ? mix(kStone, kStoneShade, 0.45) : kStone;
    const double side = shoulder.x < 0 ? -1 : 1;
    const double a = 0.3 + 1.2 * raise;
    const Point elbow{shoulder.x + side * std::sin(a) * 20, shoulder.y + std::cos(a) * 20};
    const double b = a - 0.35 - 4.1 * raise;
    const Point fist{elbow.x + side * std::sin(b) * 17, elbow.y + std::cos(b) * 17};
    limb(cr, shoulder.x, shoulder.y, elbow.x, elbow.y, fist.x, fist.y, 15, lit);
    ellipsePath(cr, fist.x, fist.y, 10.5, 10);
    fillOutlined(cr, bodyShade(fist.x, fist.y, 10.5, lit, kStoneShade), 2.2);
    setColour(cr, kOutline);
    cairo_set_line_width(cr, 1.5);
    for (int k = -1; k <= 1; ++k) {
        cairo_move_to(cr, fist.x - side * 9, fist.y + k * 3.5);
        cairo_line_to(cr, fist.x - side * 4, fist.y + k * 3.5);
    }
    cairo_stroke(cr);
}

void moss(cairo_t* cr) {
    cairo_save(cr);
    boulderPath(cr);
    cairo_clip(cr);
    cairo_move_to(cr, -62, -84);
    cairo_curve_to(cr, -50, -130, 50, -134, 62, -86);
    cairo_curve_to(cr, 52, -80, 46, -90, 38, -78);
    cairo_curve_to(cr, 30, -66, 24, -88, 12, -82);
    cairo_curve_to(cr, 2, -76, -8, -92, -20, -86);
    cairo_curve_to(cr, -30, -80, -40, -94, -62, -84);
    cairo_close_path(cr);
    fillOutlined(cr, bodyShade(-10, -108, 40, kMoss, kMossShade), 2);
    const double spots[][3] = {{30, -50, 5}, {40, -36, 3.5}, {-40, -50, 3}, {18, -30, 4}};
    for (const auto& s : spots) {
        ellipsePath(cr, s[0], s[1], s[2], s[2] * 0.7);
        setColour(cr, kLichen);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    boulderPath(cr);
    setColour(cr, kOutline);
    cairo_set_line_width(cr, 2.4);
    cairo_stroke(cr);
}

void face(cairo_t* cr, double shock) {
    const bool squeezed = shock > 0.35;
    for (double x : {-36.0, -12.0}) {
        if (squeezed) {
            setColour(cr, kOutline);
            cairo_set_line_width(cr, 2.4);
            cairo_move_to(cr, x - 6, -78);
            cairo_line_to(cr, x + 1, -74);
            cairo_line_to(cr, x - 6, -70);
            cairo_stroke(cr);
            continue;
        }
        ellipsePath(cr, x, -74, 5.5, 5);
        fillOutlined(cr, kEye, 1.8);
        ellipsePath(cr, x - 1.8, -73.5, 2.2, 2.6);
        setColour(cr, kOutline);
        cairo_fill(cr);
    }
    cairo_move_to(cr, -46, -84 + shock * 3);
    cairo_curve_to(cr, -36, -90 + shock * 5, -18, -90, -2, -84 - shock * 2);
    cairo_curve_to(cr, -16, -82, -34, -82, -46, -84 + shock * 3);
    cairo_close_path(cr);
    fillOutlined(cr, kStoneShade, 2);

    ellipsePath(cr, -28, -64, 7, 6);
    fillOutlined(cr, bodyShade(-28, -64, 7, kStone, kStoneShade), 1.8);

    const double open = std::max(0.0, shock) * 12;
    cairo_move_to(cr, -46, -50);
    cairo_curve_to(cr, -36, -46 + open * 0.3, -16, -46 + open * 0.3, -6, -52);
    cairo_curve_to(cr, -14, -42 + open, -38, -40 + open, -46, -50);
    cairo_close_path(cr);
    fillOutlined(cr, kMouth, 2);
    for (double x : {-38.0, -14.0}) {
        cairo_move_to(cr, x - 3.5, -46 + open * 0.2);
        cairo_line_to(cr, x, -57 + open * 0.2);
        cairo_line_to(cr, x + 3.5, -46 + open * 0.2);
        cairo_close_path(cr);
        fillOutlined(cr, kTusk, 1.5);
    }
}

void star(cairo_t* cr, double x, double y, double r) {
    for (int i = 0; i < 10; ++i) {
        const double a = i * M_PI / 5 - M_PI / 2;
        const double d = i % 2 ? r * 0.45 : r;
        i == 0 ? cairo_move_to(cr, x + std::cos(a) * d, y + std::sin(a) * d)
               : cairo_line_to(cr, x + std::cos(a) * d, y + std::sin(a) * d);
    }
    cairo_close_path(cr);
    fillOutlined(cr, kStar, 1.5);
}

void drawOm(cairo_t* cr, int painIndex) {
    const double shock = painIndex < 0 ? 0 : kShock[painIndex];
    const double jolt = painIndex < 0 ? 0 : std::sin(painIndex * 2.6) * 2.5 * std::abs(shock);
    cairo_save(cr);
    cairo_translate(cr, 94, 170);
    cairo_scale(cr, 1.12, 1.12);
    leg(cr, -22);
    leg(cr, 24);
    cairo_translate(cr, 6 * shock + jolt, -14);
    cairo_rotate(cr, 0.12 * shock);
    cairo_scale(cr, 1 + 0.05 * shock, 1 - 0.07 * shock);
    cairo_translate(cr, 0, 14);
    arm(cr, {34, -62}, 0.15 * std::max(0.0, shock), true);
    boulderPath(cr);
    fillOutlined(cr, bodyShade(-8, -68, 62, kStone, kStoneShade), 2.4);
    moss(cr);
    face(cr, shock);
    arm(cr, {-50, -50}, std::max(0.0, shock), false);
    cairo_restore(cr);
    if (shock > 0.5) {
        for (int i = 0; i < 3; ++i) {
            const double a = painIndex * 0.9 + i * 2.1;
            star(cr, 66 + std::cos(a) * 28, 34 + std::sin(a) * 8, 5 + 2 * shock);
        }
    }
}

} // namespace

Canvas paintOm() {
    return paintStrip(kOmStrip, [](cairo_t* cr, const FrameCue& cue) {
        drawOm(cr, cue.range.action == Action::Flinch ? cue.index : -1);
    });
}
