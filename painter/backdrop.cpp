#include "backdrop.h"

#include "point.h"
#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// Where the cast stands: the ledge's walking surface and the front bank's crest.
constexpr double kLedgeTop = 307;
constexpr double kLedgeLeft = 292;
constexpr double kLedgeRight = 700;
constexpr double kMeadowTop = 446;
constexpr double kBankTop = 560;

constexpr Rgb kSkyTop{22, 24, 60};
constexpr Rgb kSkyMiddle{62, 52, 102};
constexpr Rgb kSkyLow{146, 94, 120};
constexpr Rgb kHorizon{222, 148, 122};
constexpr Rgb kCloud{46, 42, 78};
constexpr Rgb kCloudLit{118, 90, 128};
constexpr Rgb kFarMountain{96, 82, 128};
constexpr Rgb kNearMountain{70, 64, 108};
constexpr Rgb kHill{50, 62, 92};
constexpr Rgb kMeadow{60, 92, 80};
constexpr Rgb kMeadowFront{34, 62, 56};
constexpr Rgb kRock{102, 84, 108};
constexpr Rgb kRockShade{58, 48, 76};
constexpr Rgb kRockLit{156, 126, 140};
constexpr Rgb kGrass{66, 112, 74};
constexpr Rgb kGrassDark{36, 72, 54};
constexpr Rgb kBank{40, 70, 56};
constexpr Rgb kBankFront{24, 44, 40};
constexpr Rgb kPuddle{112, 96, 146};
constexpr Rgb kRain{170, 170, 210};
constexpr Rgb kTreeBark{40, 34, 52};
constexpr Rgb kLeaves{34, 56, 66};
constexpr Rgb kLeavesLit{58, 84, 88};

class Dice {
  public:
    explicit Dice(std::uint32_t seed) : engine_(seed) {}
    // Uniform in [low, high), the same on every platform.
    double operator()(double low, double high) {
        return low + (high - low) * (engine_() / 4294967296.0);
    }

  private:
    std::mt19937 engine_;
};

void verticalGradient(cairo_t* cr, double top, double bottom,
                      std::initializer_list<std::pair<double, Rgb>> stops) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, top, 0, bottom);
    for (const auto& [at, c] : stops) {
        cairo_pattern_add_color_stop_rgb(p, at, c.r / 255.0, c.g / 255.0, c.b / 255.0);
    }
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

// A skyline as a sum of waves, one row per wave: amplitude, wavelength, phase.
struct Wave {
    double amplitude, wavelength, phase;
};

void ridgePath(cairo_t* cr, double baseY, const std::vector<Wave>& waves, double bottom) {
    cairo_move_to(cr, 0, bottom);
    for (int x = 0; x <= kScreenWidth; x += 4) {
        double y = baseY;
        for (const Wave& w : waves) {
            y += w.amplitude * std::sin(2 * M_PI * x / w.wavelength + w.phase);
        }
        cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, kScreenWidth, bottom);
    cairo_close_path(cr);
}

void sky(cairo_t* cr) {
    cairo_rectangle(cr, 0, 0, kScreenWidth, kScreenHeight);
    verticalGradient(cr, 0, 440, {{0, kSkyTop}, {0.45, kSkyMiddle}, {0.8, kSkyLow}, {1, kHorizon}});
    cairo_fill(cr);
    cairo_pattern_t* glow = cairo_pattern_create_radial(520, 400, 10, 520, 400, 260);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.78, 0.6, 0.55);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.6, 0.5, 0);
    cairo_rectangle(cr, 0, 0, kScreenWidth, kScreenHeight);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
}

// Banks of rain cloud: rows of puffs on flat bottoms, dark above and lit from below by the
// low sun; the farther rows fade into the sky.
void clouds(cairo_t* cr, Dice& dice) {
    for (int row = 0; row < 3; ++row) {
        const double base = 92 + row * 58;
        const Rgb dark = mix(kCloud, kSkyMiddle, row * 0.3);
        const Rgb lit = mix(kCloudLit, kSkyLow, row * 0.35);
        for (int i = 0; i < 9; ++i) {
            const double cx = dice(-80, kScreenWidth + 80), width = dice(140, 260);
            const double bottom = base + dice(-14, 14);
            cairo_save(cr);
            cairo_rectangle(cr, cx - width, 0, 2 * width, bottom);
            cairo_clip(cr);
            for (int puff = 0; puff < 6; ++puff) {
                const double t = puff / 5.0;
                const double r = (18 + 26 * std::sin(M_PI * t)) * dice(0.8, 1.25);
                cairo_new_sub_path(cr);
                cairo_arc(cr, cx - width / 2 + t * width, bottom - r * 0.55, r, 0, 2 * M_PI);
            }
            cairo_pattern_t* p = cairo_pattern_create_linear(0, bottom - 70, 0, bottom);
            cairo_pattern_add_color_stop_rgba(p, 0, dark.r / 255.0, dark.g / 255.0, dark.b / 255.0,
                                              0.95);
            cairo_pattern_add_color_stop_rgba(p, 1, lit.r / 255.0, lit.g / 255.0, lit.b / 255.0,
                                              0.9);
            cairo_set_source(cr, p);
            cairo_fill(cr);
            cairo_pattern_destroy(p);
            cairo_restore(cr);
        }
    }
    cairo_rectangle(cr, 0, 0, kScreenWidth, 70);
    cairo_pattern_t* overcast = cairo_pattern_create_linear(0, 0, 0, 70);
    cairo_pattern_add_color_stop_rgba(overcast, 0, kSkyTop.r / 255.0, kSkyTop.g / 255.0,
                                      kSkyTop.b / 255.0, 0.9);
    cairo_pattern_add_color_stop_rgba(overcast, 1, kSkyTop.r / 255.0, kSkyTop.g / 255.0,
                                      kSkyTop.b / 255.0, 0);
    cairo_set_source(cr, overcast);
    cairo_fill(cr);
    cairo_pattern_destroy(overcast);
}

void distantRain(cairo_t* cr, Dice& dice) {
    cairo_set_line_width(cr, 1);
    for (int i = 0; i < 420; ++i) {
        const double x = dice(0, kScreenWidth), y = dice(40, 400), length = dice(10, 26);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x - length * 0.12, y + length);
        setColour(cr, kRain, dice(0.08, 0.22));
        cairo_stroke(cr);
    }
}

void mountains(cairo_t* cr) {
    ridgePath(cr, 318, {{34, 520, 0.6}, {16, 190, 2.1}, {7, 70, 0.3}}, 460);
    verticalGradient(cr, 260, 430, {{0, kFarMountain}, {1, mix(kFarMountain, kSkyLow, 0.5)}});
    cairo_fill(cr);
    ridgePath(cr, 372, {{22, 430, 2.4}, {12, 150, 0.9}, {5, 55, 1.7}}, 470);
    verticalGradient(cr, 340, 440, {{0, kNearMountain}, {1, mix(kNearMountain, kSkyLow, 0.35)}});
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 380, kScreenWidth, 80);
    cairo_pattern_t* mist = cairo_pattern_create_linear(0, 380, 0, 460);
    cairo_pattern_add_color_stop_rgba(mist, 0, 0.8, 0.6, 0.65, 0);
    cairo_pattern_add_color_stop_rgba(mist, 1, 0.8, 0.62, 0.66, 0.45);
    cairo_set_source(cr, mist);
    cairo_fill(cr);
    cairo_pattern_destroy(mist);
    ridgePath(cr, 424, {{10, 330, 1.2}, {5, 120, 0.4}}, 480);
    verticalGradient(cr, 405, 470, {{0, kHill}, {1, mix(kHill, kMeadow, 0.5)}});
    cairo_fill(cr);
}

// A wind-bent tree at the meadow's far left, leaning away from the weather.
void tree(cairo_t* cr, Dice& dice) {
    cairo_move_to(cr, 30, 466);
    cairo_curve_to(cr, 44, 420, 40, 380, 62, 330);
    cairo_line_to(cr, 70, 334);
    cairo_curve_to(cr, 54, 386, 60, 424, 52, 466);
    cairo_close_path(cr);
    setColour(cr, kTreeBark);
    cairo_fill(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 4);
    cairo_move_to(cr, 52, 380);
    cairo_curve_to(cr, 70, 372, 86, 360, 104, 352);
    cairo_move_to(cr, 58, 350);
    cairo_curve_to(cr, 46, 336, 30, 330, 16, 326);
    cairo_stroke(cr);
    for (int i = 0; i < 60; ++i) {
        const double t = dice(0, 1);
        const double x = 10 + t * 100 + dice(-8, 8);
        const double y = 318 + 14 * std::sin(M_PI * t) * -1 + t * 26 + dice(-12, 8);
        ellipsePath(cr, x, y, dice(9, 16), dice(6, 10));
        setColour(cr, mix(kLeaves, kLeavesLit, std::max(0.0, (340 - y) / 40) * dice(0.5, 1)));
        cairo_fill(cr);
    }
}

void meadow(cairo_t* cr) {
    ridgePath(cr, kMeadowTop, {{4, 500, 0.2}, {2, 140, 1.3}}, kScreenHeight);
    verticalGradient(cr, kMeadowTop - 6, kScreenHeight, {{0, kMeadow}, {1, kMeadowFront}});
    cairo_fill(cr);
}

void tuft(cairo_t* cr, double x, double y, double size, Rgb colour) {
    cairo_move_to(cr, x - size, y);
    cairo_curve_to(cr, x - size * 0.6, y - size, x - size * 0.9, y - size * 1.6, x - size * 1.2,
                   y - size * 2);
    cairo_curve_to(cr, x - size * 0.2, y - size * 1.2, x, y - size * 2.4, x + size * 0.1,
                   y - size * 2.6);
    cairo_curve_to(cr, x + size * 0.4, y - size * 1.4, x + size * 1.2, y - size * 1.8,
                   x + size * 1.5, y - size * 1.9);
    cairo_curve_to(cr, x + size * 0.9, y - size * 1.1, x + size * 0.8, y - size * 0.4, x + size, y);
    cairo_close_path(cr);
    setColour(cr, colour);
    cairo_fill(cr);
}

void mesaPath(cairo_t* cr) {
    cairo_move_to(cr, 236, 470);
    cairo_curve_to(cr, 252, 420, 262, 360, 276, 326);
    cairo_curve_to(cr, 282, 312, 288, kLedgeTop + 1, kLedgeLeft + 14, kLedgeTop);
    cairo_line_to(cr, kLedgeRight - 6, kLedgeTop);
    cairo_curve_to(cr, 712, 300, 706, 250, 716, 212);
    cairo_curve_to(cr, 728, 180, 760, 150, kScreenWidth, 140);
    cairo_line_to(cr, kScreenWidth, 480);
    cairo_close_path(cr);
}

void mesa(cairo_t* cr, Dice& dice) {
    mesaPath(cr);
    verticalGradient(cr, 140, 480,
                     {{0, kRock}, {0.6, mix(kRock, kRockShade, 0.5)}, {1, kRockShade}});
    cairo_fill(cr);

    cairo_save(cr);
    mesaPath(cr);
    cairo_clip(cr);
    cairo_set_line_width(cr, 2);
    for (int layer = 0; layer < 9; ++layer) {
        const double y = kLedgeTop + 18 + layer * 17;
        cairo_move_to(cr, 220, y);
        for (int x = 220; x <= kScreenWidth; x += 20) {
            cairo_line_to(cr, x, y + dice(-3, 3));
        }
        setColour(cr, kRockShade, 0.55);
        cairo_stroke(cr);
    }
    for (int i = 0; i < 26; ++i) {
        const double x = dice(250, 790), y = dice(kLedgeTop + 10, 460);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + dice(-4, 4), y + dice(10, 26));
        setColour(cr, kRockShade, 0.7);
        cairo_stroke(cr);
    }
    cairo_rectangle(cr, kLedgeLeft - 20, kLedgeTop, kLedgeRight - kLedgeLeft + 14, 10);
    verticalGradient(cr, kLedgeTop, kLedgeTop + 10, {{0, kRockLit}, {1, kRock}});
    cairo_fill(cr);
    cairo_pattern_t* shadow = cairo_pattern_create_linear(704, 0, 770, 0);
    cairo_pattern_add_color_stop_rgba(shadow, 0, kRockShade.r / 255.0, kRockShade.g / 255.0,
                                      kRockShade.b / 255.0, 0.7);
    cairo_pattern_add_color_stop_rgba(shadow, 1, kRockShade.r / 255.0, kRockShade.g / 255.0,
                                      kRockShade.b / 255.0, 0);
    cairo_rectangle(cr, 700, 130, 70, kLedgeTop - 130);
    cairo_set_source(cr, shadow);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);
    cairo_pattern_t* rim = cairo_pattern_create_linear(700, 0, 800, 0);
    cairo_pattern_add_color_stop_rgba(rim, 0, 0.85, 0.6, 0.55, 0);
    cairo_pattern_add_color_stop_rgba(rim, 1, 0.85, 0.6, 0.55, 0.25);
    cairo_rectangle(cr, 700, 140, 100, 170);
    cairo_set_source(cr, rim);
    cairo_fill(cr);
    cairo_pattern_destroy(rim);
    cairo_restore(cr);

    mesaPath(cr);
    setColour(cr, kOutline);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);

    cairo_move_to(cr, kLedgeLeft + 4, kLedgeTop + 3);
    for (double x = kLedgeLeft + 4; x <= kLedgeRight; x += 6) {
        cairo_line_to(cr, x, kLedgeTop + 3 + dice(2, 6));
    }
    cairo_line_to(cr, kLedgeRight, kLedgeTop - 2);
    cairo_line_to(cr, kLedgeLeft + 4, kLedgeTop - 2);
    cairo_close_path(cr);
    setColour(cr, kGrass);
    cairo_fill(cr);
    for (double x = kLedgeLeft + 8; x < kLedgeRight - 4; x += dice(8, 16)) {
        tuft(cr, x, kLedgeTop + 1, dice(2, 3.5), dice(0, 1) < 0.5 ? kGrass : kGrassDark);
    }
    const Point cragTop[] = {{722, 200}, {734, 182}, {750, 166}, {770, 153}, {790, 145}};
    for (const Point& p : cragTop) {
        tuft(cr, p.x, p.y + 3, dice(2.5, 3.5), dice(0, 1) < 0.5 ? kGrass : kGrassDark);
    }
}

void bankPath(cairo_t* cr) {
    cairo_move_to(cr, 0, kBankTop - 4);
    cairo_curve_to(cr, 120, kBankTop - 10, 260, kBankTop - 6, 340, kBankTop + 8);
    cairo_curve_to(cr, 400, kBankTop + 18, 430, 590, 470, kScreenHeight);
    cairo_line_to(cr, 0, kScreenHeight);
    cairo_close_path(cr);
}

void puddle(cairo_t* cr, double cx, double cy, double rx, double ry) {
    ellipsePath(cr, cx, cy, rx, ry);
    verticalGradient(cr, cy - ry, cy + ry, {{0, mix(kPuddle, kSkyLow, 0.4)}, {1, kPuddle}});
    cairo_fill_preserve(cr);
    setColour(cr, kMeadowFront);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    for (int ring = 0; ring < 2; ++ring) {
        ellipsePath(cr, cx - rx * 0.3 + ring * rx * 0.55, cy - ry * 0.1, rx * 0.18, ry * 0.3);
        setColour(cr, kRain, 0.6);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
}

void foreground(cairo_t* cr, Dice& dice) {
    puddle(cr, 600, 566, 80, 12);
    puddle(cr, 420, 520, 46, 7);
    for (int i = 0; i < 90; ++i) {
        const double x = dice(0, kScreenWidth), y = dice(kMeadowTop + 14, kScreenHeight);
        tuft(cr, x, y, dice(1.5, 3) * (y / 500), mix(kGrassDark, kMeadow, dice(0, 0.6)));
    }
    bankPath(cr);
    verticalGradient(cr, kBankTop - 10, kScreenHeight, {{0, kBank}, {1, kBankFront}});
    cairo_fill(cr);
    bankPath(cr);
    setColour(cr, kGrassDark);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    for (double x = 4; x < 440; x += dice(6, 14)) {
        const double t = x / 440;
        const double y = kBankTop - 6 + t * t * 40 + dice(0, 4);
        tuft(cr, x, y, dice(3, 5), dice(0, 1) < 0.5 ? kGrass : kGrassDark);
    }
    const Point stones[] = {{200, 582}, {262, 590}, {352, 578}};
    for (const Point& s : stones) {
        ellipsePath(cr, s.x, s.y, 13, 7);
        fillOutlined(cr, bodyShade(s.x, s.y, 12, kRock, kRockShade), 1.5);
    }
}

} // namespace

Canvas paintBackdrop() {
    Canvas canvas(kScreenWidth, kScreenHeight);
    cairo_t* cr = canvas.cr();
    Dice dice(20240611);
    sky(cr);
    clouds(cr, dice);
    distantRain(cr, dice);
    mountains(cr);
    meadow(cr);
    tree(cr, dice);
    mesa(cr, dice);
    foreground(cr, dice);
    return canvas;
}
