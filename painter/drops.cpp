#include "drops.h"

#include "shapes.h"

#include <cstddef>
#include <iterator>

namespace {

// One row per pixel row of a drop, one character per column: '.' transparent, then from the
// dimmest shade '1' to the brightest '4'.
// clang-format off
constexpr const char* kStreak[] = {
    "..1..",
    "..1..",
    "..1..",
    "..2..",
    "..2..",
    "..2..",
    "..3..",
    "..3..",
    "..3..",
    ".13..",
    ".23..",
    ".34..",
    ".343.",
    "..3..",
};
constexpr const char* kRound[] = {
    "..2..",
    "..3..",
    ".233.",
    "23441",
    "23341",
    "12331",
    ".111.",
};
// clang-format on
constexpr int kFrameWidth = 5;
constexpr int kFrames = 2;

constexpr Rgb kShades[] = {{120, 140, 172}, {156, 176, 206}, {192, 210, 236}, {236, 244, 255}};

template <std::size_t Rows> Canvas paintDrop(const char* const (&rows)[Rows]) {
    Canvas canvas(kFrameWidth * kFrames, static_cast<int>(Rows));
    cairo_t* cr = canvas.cr();
    for (int frame = 0; frame < kFrames; ++frame) {
        for (std::size_t y = 0; y < Rows; ++y) {
            for (int x = 0; x < kFrameWidth; ++x) {
                const char c = rows[y][x];
                if (c != '.') {
                    setColour(cr, kShades[c - '1']);
                    cairo_rectangle(cr, frame * kFrameWidth + x, static_cast<double>(y), 1, 1);
                    cairo_fill(cr);
                }
            }
        }
    }
    return canvas;
}

} // namespace

const StripLayout kStreakStrip{"kapka.gif",
                               kFrameWidth,
                               static_cast<int>(std::size(kStreak)),
                               kFrames,
                               {{"shown", 0, 0, Action::Stand, nullptr}}};
const StripLayout kRoundDropStrip{"kapka2.gif",
                                  kFrameWidth,
                                  static_cast<int>(std::size(kRound)),
                                  kFrames,
                                  {{"shown", 0, 0, Action::Stand, nullptr}}};

Canvas paintStreak() {
    return paintDrop(kStreak);
}
Canvas paintRoundDrop() {
    return paintDrop(kRound);
}
