#include "basil_figure.h"

#include "shapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr Rgb kRobe{214, 84, 62};
constexpr Rgb kRobeShade{132, 38, 50};
constexpr Rgb kGold{238, 188, 70};
constexpr Rgb kHat{100, 102, 204};
constexpr Rgb kHatShade{50, 46, 124};
constexpr Rgb kSkin{252, 222, 186};
constexpr Rgb kSkinShade{212, 156, 128};
constexpr Rgb kNose{240, 168, 138};
constexpr Rgb kCheek{244, 150, 150};
constexpr Rgb kEyeWhite{250, 250, 242};
constexpr Rgb kMouth{110, 30, 42};
constexpr Rgb kTongue{226, 96, 100};
constexpr Rgb kTrousers{84, 72, 118};
constexpr Rgb kBoot{124, 78, 46};
constexpr Rgb kWood{160, 108, 60};
constexpr Rgb kGem{120, 236, 255};
constexpr Rgb kSparkCore{255, 252, 214};
constexpr Rgb kSparkRim{255, 196, 64};
constexpr Rgb kHair{200, 196, 212};

constexpr double kScale = 0.95;
constexpr double kThigh = 11.5;
constexpr double kShin = 11;
constexpr double kUpperArm = 10;
constexpr double kForearm = 9.5;
constexpr double kStaffBelow = 38;
constexpr double kStaffAbove = 21;

const Point kNearShoulder{5, -29};
const Point kFarShoulder{-2, -30};
const Point kHead{1, -47};
constexpr double kHeadRadius = 15;

Point along(Point from, double angle, double length) {
    return {from.x + std::sin(angle) * length, from.y + std::cos(angle) * length};
}

// The knee of a two-bone leg reaching from hip to foot, bent forward.
Point knee(Point hip, Point foot) {
    const double dx = foot.x - hip.x, dy = foot.y - hip.y;
    const double d = std::clamp(std::hypot(dx, dy), 1.0, kThigh + kShin - 0.01);
    const double toFoot = std::atan2(dy, dx);
    const double bend = std::acos((kThigh * kThigh + d * d - kShin * kShin) / (2 * kThigh * d));
    const double a = toFoot - bend;
    return {hip.x + std::cos(a) * kThigh, hip.y + std::sin(a) * kThigh};
}

Point reachable(Point hip, Point foot) {
    const double dx = foot.x - hip.x, dy = foot.y - hip.y;
    const double d = std::hypot(dx, dy);
    const double most = kThigh + kShin - 0.01;
    return d <= most ? foot : Point{hip.x + dx * most / d, hip.y + dy * most / d};
}

void leg(cairo_t* cr, Point hip, Point foot, bool far) {
    const Point f = reachable(hip, foot);
    const Point k = knee(hip, f);
    limb(cr, hip.x, hip.y, k.x, k.y, f.x, f.y, 6, far ? mix(kTrousers, kOutline, 0.35) : kTrousers);
    ellipsePath(cr, f.x + 3, f.y - 2.5, 6.5, 4);
    fillOutlined(cr, far ? mix(kBoot, kOutline, 0.35) : kBoot, 1.8);
}

Point arm(cairo_t* cr, Point shoulder, double angle, double elbowBend, bool far) {
    const Point elbow = along(shoulder, angle, kUpperArm);
    const Point hand = along(elbow, angle + elbowBend, kForearm);
    limb(cr, shoulder.x, shoulder.y, elbow.x, elbow.y, hand.x, hand.y, 6,
         far ? kRobeShade : mix(kRobe, kRobeShade, 0.2));
    return hand;
}

void hand(cairo_t* cr, Point at, bool far) {
    ellipsePath(cr, at.x, at.y, 4, 4);
    fillOutlined(cr, far ? kSkinShade : kSkin, 1.6);
}

void robe(cairo_t* cr, double breath) {
    const double chest = 10 + breath * 0.8;
    cairo_move_to(cr, -7, -33);
    cairo_curve_to(cr, -12, -22, -17, -6, -18, 5);
    cairo_curve_to(cr, -8, 9, 8, 9, 18, 4);
    cairo_curve_to(cr, 16, -8, chest + 4, -22, chest, -33);
    cairo_close_path(cr);
    fillOutlined(cr, bodyShade(3, -16, 24, kRobe, kRobeShade));

    cairo_save(cr);
    cairo_move_to(cr, -7, -33);
    cairo_curve_to(cr, -12, -22, -17, -6, -18, 5);
    cairo_curve_to(cr, -8, 9, 8, 9, 18, 4);
    cairo_curve_to(cr, 16, -8, chest + 4, -22, chest, -33);
    cairo_close_path(cr);
    cairo_clip(cr);
    cairo_rectangle(cr, -20, -12, 40, 4.5);
    fillOutlined(cr, kGold, 1.4);
    cairo_restore(cr);
}

void eye(cairo_t* cr, double x, double y, double size, const BasilPose& p) {
    if (p.dazed) {
        setColour(cr, kOutline);
        cairo_set_line_width(cr, 1.6);
        cairo_move_to(cr, x - size, y - size);
        cairo_line_to(cr, x + size, y + size);
        cairo_move_to(cr, x + size, y - size);
        cairo_line_to(cr, x - size, y + size);
        cairo_stroke(cr);
        return;
    }
    const double open = 1 - std::clamp(p.eyelids, 0.0, 1.0);
    if (open < 0.2) {
        setColour(cr, kOutline);
        cairo_set_line_width(cr, 1.6);
        cairo_move_to(cr, x - size, y);
        cairo_curve_to(cr, x - size * 0.4, y + 1.5, x + size * 0.4, y + 1.5, x + size, y);
        cairo_stroke(cr);
        return;
    }
    ellipsePath(cr, x, y, size * 0.8, size * 1.15 * open);
    fillOutlined(cr, kEyeWhite, 1.3);
    ellipsePath(cr, x + size * 0.3, y + 0.3, size * 0.42, size * 0.55 * open);
    setColour(cr, kOutline);
    cairo_fill(cr);
}

void face(cairo_t* cr, const BasilPose& p) {
    ellipsePath(cr, kHead.x, kHead.y, kHeadRadius, kHeadRadius);
    fillOutlined(cr, bodyShade(kHead.x, kHead.y, kHeadRadius, kSkin, kSkinShade));

    for (int curl = 0; curl < 3; ++curl) {
        ellipsePath(cr, kHead.x - 12.5 + curl * 0.8, kHead.y - 2 + curl * 4, 3.4, 2.8);
        fillOutlined(cr, kHair, 1.3);
    }

    ellipsePath(cr, kHead.x + 6, kHead.y + 5, 3.2, 2.2);
    setColour(cr, kCheek);
    cairo_fill(cr);

    const double eyeY = kHead.y - 3;
    eye(cr, kHead.x + 2.5, eyeY, 3.6, p);
    eye(cr, kHead.x + 10.5, eyeY, 3.9, p);

    setColour(cr, kOutline);
    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const double lift = p.brow * 2.2;
    for (double x : {kHead.x + 2.5, kHead.x + 10.5}) {
        const double inner = x > kHead.x + 5 ? -1 : 1;
        cairo_move_to(cr, x - 3, eyeY - 6.5 - lift + inner * p.brow * -1.2);
        cairo_line_to(cr, x + 3, eyeY - 6.5 - lift - inner * p.brow * -1.2);
    }
    cairo_stroke(cr);

    const double mx = kHead.x + 9, my = kHead.y + 8;
    if (p.mouth < 0.15) {
        cairo_move_to(cr, mx - 4, my - 0.5);
        cairo_curve_to(cr, mx - 1.5, my + 1.5, mx + 1.5, my + 1.5, mx + 3.5, my - 1);
        setColour(cr, kOutline);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    } else {
        const double h = 1.5 + p.mouth * 3.5;
        ellipsePath(cr, mx, my + h * 0.35, 3.8, h);
        fillOutlined(cr, kMouth, 1.3);
        ellipsePath(cr, mx + 0.5, my + h * 0.9, 2.4, h * 0.35);
        setColour(cr, kTongue);
        cairo_fill(cr);
    }

    ellipsePath(cr, kHead.x + 15.2, kHead.y + 1.5, 4, 3.6);
    fillOutlined(cr, kNose, 1.5);
}

void hatShape(cairo_t* cr, double sway) {
    ellipsePath(cr, 0, 0, 21, 5);
    fillOutlined(cr, kHatShade, 1.8);
    cairo_move_to(cr, -15, -1);
    cairo_curve_to(cr, -13, -11, -14 + sway * 0.4, -19, -16 + sway, -29);
    cairo_curve_to(cr, -6 + sway * 0.5, -23, 6, -14, 15, -1);
    cairo_curve_to(cr, 6, 2, -6, 2, -15, -1);
    cairo_close_path(cr);
    fillOutlined(cr, bodyShade(0, -12, 18, kHat, kHatShade));
    cairo_move_to(cr, -14.5, -2);
    cairo_curve_to(cr, -6, 1, 6, 1, 14.5, -2);
    cairo_line_to(cr, 12.5, -6.5);
    cairo_curve_to(cr, 5, -4, -5, -4, -13.5, -6.5);
    cairo_close_path(cr);
    fillOutlined(cr, kGold, 1.4);
    ellipsePath(cr, -16 + sway, -29, 2.6, 2.6);
    fillOutlined(cr, kGold, 1.2);
}

void staff(cairo_t* cr, Point grip, double tilt, double spark) {
    const double ux = std::sin(tilt), uy = -std::cos(tilt);
    const Point bottom{grip.x - ux * kStaffBelow, grip.y - uy * kStaffBelow};
    const Point top{grip.x + ux * kStaffAbove, grip.y + uy * kStaffAbove};
    limb(cr, bottom.x, bottom.y, grip.x, grip.y, top.x, top.y, 3.2, kWood);
    const Point gem{top.x + ux * 3.5, top.y + uy * 3.5};
    ellipsePath(cr, gem.x, gem.y, 4.5, 4.5);
    fillOutlined(cr, kGem, 1.6);
    ellipsePath(cr, gem.x - 1.3, gem.y - 1.3, 1.4, 1.4);
    setColour(cr, kEyeWhite);
    cairo_fill(cr);
    if (spark <= 0) {
        return;
    }
    const double outer = 4 + spark * 7, inner = 2 + spark * 2.5;
    for (int i = 0; i < 16; ++i) {
        const double a = i * M_PI / 8 + 0.2;
        const double r = i % 2 ? inner : outer * (i % 4 == 0 ? 1.0 : 0.7);
        const double x = gem.x + std::cos(a) * r, y = gem.y + std::sin(a) * r;
        i == 0 ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    setColour(cr, kSparkCore);
    cairo_fill_preserve(cr);
    setColour(cr, kSparkRim);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
}

void curledBall(cairo_t* cr) {
    limb(cr, -27, 9, 0, 0, 27, -9, 3.2, kWood);
    ellipsePath(cr, 29.5, -10, 4, 4);
    fillOutlined(cr, kGem, 1.5);
    ellipsePath(cr, 0, 0, 19, 19);
    fillOutlined(cr, bodyShade(0, 0, 19, kRobe, kRobeShade));
    cairo_move_to(cr, -12, -13);
    cairo_curve_to(cr, -20, -20, -26, -22, -31, -21);
    cairo_curve_to(cr, -24, -14, -18, -6, -14, -2);
    cairo_close_path(cr);
    fillOutlined(cr, kHat);
    ellipsePath(cr, 8, -8, 9, 9);
    fillOutlined(cr, bodyShade(8, -8, 9, kSkin, kSkinShade));
    setColour(cr, kOutline);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 8, -10);
    cairo_line_to(cr, 12, -9);
    cairo_stroke(cr);
    ellipsePath(cr, 15, -5, 3.5, 3);
    fillOutlined(cr, kNose, 1.3);
    ellipsePath(cr, 11, 13, 6, 4);
    fillOutlined(cr, kBoot, 1.6);
    ellipsePath(cr, 2, 17, 6, 4);
    fillOutlined(cr, kBoot, 1.6);
    ellipsePath(cr, 16, 3, 4, 4);
    fillOutlined(cr, kSkin, 1.5);
}

void fallenHat(cairo_t* cr) {
    cairo_save(cr);
    cairo_translate(cr, 33, -4);
    cairo_rotate(cr, 0.35);
    cairo_scale(cr, 0.75, 0.75);
    hatShape(cr, 4);
    cairo_restore(cr);
}

} // namespace

void drawBasil(cairo_t* cr, const BasilPose& p) {
    cairo_save(cr);
    cairo_translate(cr, p.at.x, p.at.y);
    cairo_scale(cr, p.facing * kScale, kScale);
    if (p.hatFallen) {
        fallenHat(cr);
    }
    cairo_translate(cr, p.hip.x, p.hip.y);
    cairo_rotate(cr, p.turn);
    if (p.curled) {
        curledBall(cr);
        cairo_restore(cr);
        return;
    }
    const Point nearFoot{p.nearFoot.x - p.hip.x, p.nearFoot.y - p.hip.y};
    const Point farFoot{p.farFoot.x - p.hip.x, p.farFoot.y - p.hip.y};

    leg(cr, {-3, 0}, farFoot, true);
    cairo_save(cr);
    cairo_rotate(cr, p.lean);
    const Point farHand = arm(cr, kFarShoulder, p.farShoulder, p.farElbow, true);
    hand(cr, farHand, true);
    cairo_restore(cr);
    leg(cr, {3, 0}, nearFoot, false);

    cairo_rotate(cr, p.lean);
    robe(cr, p.breath);
    cairo_save(cr);
    cairo_translate(cr, kHead.x, kHead.y);
    cairo_rotate(cr, p.headNod);
    cairo_translate(cr, -kHead.x, -kHead.y);
    face(cr, p);
    if (!p.hatFallen) {
        cairo_save(cr);
        cairo_translate(cr, kHead.x - 3, kHead.y - 11);
        cairo_rotate(cr, -0.12);
        hatShape(cr, p.hatSway);
        cairo_restore(cr);
    }
    cairo_restore(cr);

    const Point elbow = along(kNearShoulder, p.nearShoulder, kUpperArm);
    const Point grip = along(elbow, p.nearShoulder + p.nearElbow, kForearm);
    staff(cr, grip, p.staffTilt, p.spark);
    arm(cr, kNearShoulder, p.nearShoulder, p.nearElbow, false);
    hand(cr, grip, false);
    cairo_restore(cr);
}
