#include "egg.h"

#include "point.h"
#include "shapes.h"
#include "strip.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr Rgb kShell{250, 240, 216};
constexpr Rgb kShellShade{186, 166, 164};
constexpr Rgb kSpeckle{204, 156, 120};
constexpr Rgb kFoot{242, 150, 62};
constexpr Rgb kEyeWhite{252, 252, 246};
constexpr Rgb kMouth{150, 56, 66};
constexpr Rgb kBlush{246, 164, 160};
constexpr Rgb kSweat{150, 210, 250};

constexpr int kStandingFrame = 13;
constexpr int kAssembledFrame = 11;

// The shell breaks into these shards: each row is a shard's outline in egg space (origin on
// the ground under the egg, y down), where it lies before it flies in, how it lies there,
// and when, from 0 to 1 of the build, it sets off.
struct Shard {
    std::vector<Point> outline;
    Point restsAt;
    double restTurn;
    double setsOff;
};
// clang-format off
const Shard kShards[] = {
    {{{-30, -28}, {-16, -33}, {-4, -25}, {0, -14}, {-6, 2}, {-30, 2}},              {-12, -8}, 0.25, 0},
    {{{-4, -25}, {8, -32}, {20, -26}, {30, -30}, {30, 2}, {-6, 2}, {0, -14}},       {9, -8},   -0.2, 0.06},
    {{{-30, -50}, {-18, -55}, {-8, -47}, {-12, -38}, {-4, -25}, {-16, -33}, {-30, -28}}, {-22, -5}, 1.6, 0.16},
    {{{12, -46}, {22, -53}, {30, -49}, {30, -30}, {20, -26}, {8, -32}, {8, -38}},   {17, -5},  -1.5, 0.22},
    {{{-8, -47}, {2, -54}, {12, -46}, {8, -38}, {8, -32}, {-4, -25}, {-12, -38}},   {-3, -5},  2.5,  0.3},
    {{{-30, -82}, {2, -82}, {-3, -68}, {2, -54}, {-8, -47}, {-18, -55}, {-30, -50}}, {-16, -6}, 2.9, 0.38},
    {{{2, -82}, {30, -82}, {30, -49}, {22, -53}, {12, -46}, {2, -54}, {-3, -68}},   {12, -6},  -2.8, 0.44},
};
// clang-format on
constexpr double kFlight = 0.45;

// How hard each frame of the flinch squeezes the egg; it is back at rest well before the last.
constexpr double kSqueeze[] = {0, 1, 0.85, 0.6, 0.35, 0.12, -0.12, -0.14, -0.06, 0.03, 0, 0, 0};

const double kSpeckles[][3] = {{-14, -58, 2.2}, {12, -64, 1.6}, {17, -30, 2.4}, {-18, -24, 1.8},
                               {4, -16, 1.5},   {-6, -70, 1.4}, {20, -46, 1.3}};

void shellPath(cairo_t* cr) {
    cairo_move_to(cr, 0, -76);
    cairo_curve_to(cr, 16, -76, 26, -54, 26, -36);
    cairo_curve_to(cr, 26, -18, 14, -6, 0, -6);
    cairo_curve_to(cr, -14, -6, -26, -18, -26, -36);
    cairo_curve_to(cr, -26, -54, -16, -76, 0, -76);
    cairo_close_path(cr);
}

void polygonPath(cairo_t* cr, const std::vector<Point>& points) {
    cairo_move_to(cr, points[0].x, points[0].y);
    for (const Point& p : points) {
        cairo_line_to(cr, p.x, p.y);
    }
    cairo_close_path(cr);
}

struct Face {
    bool awake;
    double squeeze;
};

void eyes(cairo_t* cr, const Face& f) {
    for (double x : {-9.0, 7.0}) {
        setColour(cr, kOutline);
        cairo_set_line_width(cr, 2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        if (!f.awake) {
            cairo_move_to(cr, x - 4, -44);
            cairo_curve_to(cr, x - 2, -41.5, x + 2, -41.5, x + 4, -44);
            cairo_stroke(cr);
        } else if (f.squeeze > 0.3) {
            const double side = x < 0 ? 1 : -1;
            cairo_move_to(cr, x - side * 4, -48);
            cairo_line_to(cr, x + side * 3, -44);
            cairo_line_to(cr, x - side * 4, -40);
            cairo_stroke(cr);
        } else {
            ellipsePath(cr, x, -45, 4.6, 6);
            fillOutlined(cr, kEyeWhite, 1.6);
            ellipsePath(cr, x - 1.5, -44, 2.4, 3.2);
            setColour(cr, kOutline);
            cairo_fill(cr);
            ellipsePath(cr, x - 2.4, -45.5, 0.9, 0.9);
            setColour(cr, kEyeWhite);
            cairo_fill(cr);
        }
    }
    ellipsePath(cr, -15, -35, 3.5, 2.2);
    ellipsePath(cr, 13, -35, 3.5, 2.2);
    setColour(cr, kBlush);
    cairo_fill(cr);
    if (f.squeeze > 0.3) {
        ellipsePath(cr, -1, -31, 3.2, 2.2 + 2.5 * f.squeeze);
        fillOutlined(cr, kMouth, 1.5);
    } else if (f.awake) {
        setColour(cr, kOutline);
        cairo_set_line_width(cr, 1.7);
        cairo_move_to(cr, -5, -33);
        cairo_curve_to(cr, -3, -30, 1, -30, 3, -33);
        cairo_stroke(cr);
    }
}

void shell(cairo_t* cr, const Face& f) {
    shellPath(cr);
    cairo_pattern_t* shade = bodyShade(0, -42, 34, kShell, kShellShade);
    cairo_set_source(cr, shade);
    cairo_pattern_destroy(shade);
    cairo_fill(cr);
    for (const auto& s : kSpeckles) {
        ellipsePath(cr, s[0], s[1], s[2], s[2] * 0.8);
    }
    setColour(cr, kSpeckle);
    cairo_fill(cr);
    eyes(cr, f);
    shellPath(cr);
    setColour(cr, kOutline);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
}

void feet(cairo_t* cr) {
    for (double x : {-10.0, 10.0}) {
        ellipsePath(cr, x + (x < 0 ? -2 : 2), -3.5, 7, 3.5);
        fillOutlined(cr, kFoot, 1.8);
    }
}

double ease(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

Point centroid(const std::vector<Point>& points) {
    Point c{0, 0};
    for (const Point& p : points) {
        c.x += p.x / points.size();
        c.y += p.y / points.size();
    }
    return c;
}

void assembling(cairo_t* cr, int frame) {
    const double build = std::min(1.0, static_cast<double>(frame) / kAssembledFrame);
    const Face asleep{false, 0};
    const double seam = frame < kAssembledFrame ? 2.2 : 1.4 * (kStandingFrame - 1 - frame);
    for (const Shard& s : kShards) {
        const double t = ease((build - s.setsOff) / kFlight);
        const Point home = centroid(s.outline);
        cairo_save(cr);
        cairo_translate(cr, s.restsAt.x + (home.x - s.restsAt.x) * t,
                        s.restsAt.y + (home.y - s.restsAt.y) * t - 24 * std::sin(M_PI * t));
        cairo_rotate(cr, s.restTurn * (1 - t));
        cairo_translate(cr, -home.x, -home.y);
        polygonPath(cr, s.outline);
        cairo_clip(cr);
        shell(cr, asleep);
        if (seam > 0) {
            shellPath(cr);
            cairo_clip(cr);
            polygonPath(cr, s.outline);
            setColour(cr, kOutline);
            cairo_set_line_width(cr, seam);
            cairo_stroke(cr);
        }
        cairo_restore(cr);
    }
}

void crack(cairo_t* cr) {
    setColour(cr, kOutline);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 10, -70);
    cairo_line_to(cr, 14, -62);
    cairo_line_to(cr, 10, -58);
    cairo_line_to(cr, 16, -52);
    cairo_stroke(cr);
}

void sweat(cairo_t* cr, double s) {
    cairo_move_to(cr, 27, -78 - 4 * s);
    cairo_curve_to(cr, 31, -72, 32, -68, 28, -66);
    cairo_curve_to(cr, 24, -66, 24, -70, 27, -78 - 4 * s);
    cairo_close_path(cr);
    fillOutlined(cr, kSweat, 1.4);
}

void flinching(cairo_t* cr, int index) {
    const double s = kSqueeze[index];
    const double wobble = (index % 2 ? 1 : -1) * 0.12 * std::abs(s);
    feet(cr);
    cairo_save(cr);
    cairo_translate(cr, 0, -6);
    cairo_rotate(cr, wobble);
    cairo_scale(cr, 1 + 0.12 * s, 1 - 0.16 * s);
    cairo_translate(cr, 0, 6);
    shell(cr, Face{true, s});
    if (s > 0.25) {
        crack(cr);
    }
    cairo_restore(cr);
    if (s > 0.3) {
        sweat(cr, s);
    }
}

void drawEgg(cairo_t* cr, const FrameCue& cue) {
    cairo_save(cr);
    cairo_translate(cr, 35, 90);
    if (cue.frame < kStandingFrame) {
        if (cue.frame > kAssembledFrame) {
            feet(cr);
        }
        assembling(cr, cue.frame);
    } else {
        flinching(cr, cue.frame - kStandingFrame);
    }
    cairo_restore(cr);
}

} // namespace

Canvas paintEgg() {
    return paintStrip(kEggStrip, drawEgg);
}
