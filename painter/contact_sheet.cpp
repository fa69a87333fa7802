#include "contact_sheet.h"

#include "shapes.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kSheetWidth = 1420;
constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kLabelHeight = 34;
constexpr int kTitleHeight = 26;
constexpr int kSmallFrame = 20;
constexpr int kSmallFrameZoom = 6;
constexpr Rgb kPaper{28, 28, 36};
constexpr Rgb kCell{84, 88, 116};
constexpr Rgb kInk{232, 232, 240};
constexpr Rgb kDimInk{170, 172, 190};

void text(cairo_t* cr, double x, double y, const std::string& s, double size, Rgb colour) {
    cairo_set_font_size(cr, size);
    setColour(cr, colour);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, s.c_str());
}

void title(cairo_t* cr, double& y, const std::string& s) {
    text(cr, kMargin, y + 18, s, 16, kInk);
    y += kTitleHeight;
}

std::vector<std::string> names(const std::string& joined) {
    std::vector<std::string> out;
    std::size_t from = 0;
    while (from <= joined.size()) {
        const std::size_t slash = std::min(joined.find('/', from), joined.size());
        out.push_back(joined.substr(from, slash - from));
        from = slash + 1;
    }
    return out;
}

double stripHeight(const StripLayout& layout) {
    const int zoom = layout.frameWidth < kSmallFrame ? kSmallFrameZoom : 1;
    const int cellWidth = layout.frameWidth * zoom + kGap;
    const int perRow = std::max(1, (kSheetWidth - 2 * kMargin) / std::max(cellWidth, 60));
    const int rows = (layout.frames + perRow - 1) / perRow;
    return kTitleHeight + rows * (layout.height * zoom + kLabelHeight) + kGap;
}

void strip(cairo_t* cr, double& y, const SheetStrip& s) {
    const StripLayout& l = s.layout;
    const int zoom = l.frameWidth < kSmallFrame ? kSmallFrameZoom : 1;
    const int cellWidth = std::max(l.frameWidth * zoom + kGap, 60);
    const int perRow = (kSheetWidth - 2 * kMargin) / cellWidth;
    title(cr, y,
          std::string(l.file) + "   " + std::to_string(l.frames) + " frames of " +
              std::to_string(l.frameWidth) + " x " + std::to_string(l.height));
    const Canvas picture = toCanvas(s.image);
    for (int f = 0; f < l.frames; ++f) {
        const double x = kMargin + (f % perRow) * cellWidth;
        const double top = y + (f / perRow) * (l.height * zoom + kLabelHeight);
        cairo_rectangle(cr, x, top, l.frameWidth * zoom, l.height * zoom);
        setColour(cr, kCell);
        cairo_fill(cr);
        cairo_save(cr);
        cairo_rectangle(cr, x, top, l.frameWidth * zoom, l.height * zoom);
        cairo_clip(cr);
        cairo_translate(cr, x, top);
        cairo_scale(cr, zoom, zoom);
        cairo_set_source_surface(cr, picture.surface(), -f * l.frameWidth, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
        const double labelTop = top + l.height * zoom;
        text(cr, x, labelTop + 12, std::to_string(f), 11, kInk);
        double line = labelTop + 12;
        for (const std::string& name : names(l.label(f))) {
            text(cr, x + 26, line, name, 9, kDimInk);
            line += 10;
        }
    }
    y += stripHeight(l) - kTitleHeight;
}

} // namespace

void writeContactSheet(const std::string& path, const IndexedImage& backdrop,
                       const std::vector<SheetStrip>& strips) {
    double height = 2 * kMargin + kTitleHeight + backdrop.height / 2.0 + kGap;
    for (const SheetStrip& s : strips) {
        height += stripHeight(s.layout);
    }
    Canvas sheet(kSheetWidth, static_cast<int>(height));
    cairo_t* cr = sheet.cr();
    setColour(cr, kPaper);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    double y = kMargin;
    for (const SheetStrip& s : strips) {
        strip(cr, y, s);
    }
    title(cr, y, "001.gif   backdrop, 800 x 600, shown at half size");
    const Canvas picture = toCanvas(backdrop);
    cairo_save(cr);
    cairo_translate(cr, kMargin, y);
    cairo_scale(cr, 0.5, 0.5);
    cairo_set_source_surface(cr, picture.surface(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);

    if (cairo_surface_write_to_png(sheet.surface(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot write " + path);
    }
}
