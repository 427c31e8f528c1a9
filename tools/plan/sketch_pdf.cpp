// Puts a print sketch of a layout on a page of the plan: its shapes as vector paths, its texts in the plan's font.
#include "tools/plan/sketch_pdf.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr char kSketchFont[] = "Liberation Sans";
constexpr double kBadgeSize = 10;
constexpr double kLabelSize = 8;

void setInk(cairo_t* cr, const uint8_t colour[3]) {
    cairo_set_source_rgb(cr, colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0);
}

void drawShape(cairo_t* cr, const SketchShape& shape) {
    if (shape.points.empty()) return;
    cairo_new_path(cr);
    for (const SketchPoint& p : shape.points) cairo_line_to(cr, p.x, p.y);
    if (shape.closed) cairo_close_path(cr);
    if (shape.filled) {
        setInk(cr, shape.fill);
        cairo_fill_preserve(cr);
    }
    if (shape.edgeWidth > 0) {
        setInk(cr, shape.edge);
        cairo_set_line_width(cr, shape.edgeWidth);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
}

// A text centred on its point; a badge in a white disc with a black ring.
void drawText(cairo_t* cr, const SketchText& text) {
    cairo_select_font_face(cr, kSketchFont, CAIRO_FONT_SLANT_NORMAL,
                           text.badge ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, text.badge ? kBadgeSize : kLabelSize);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.text.c_str(), &extents);
    cairo_save(cr);
    cairo_translate(cr, text.at.x, text.at.y);
    cairo_rotate(cr, -text.angle * M_PI / 180);
    if (text.badge) {
        cairo_new_path(cr);
        const double radius = std::max(kBadgeSize * 0.8, extents.width / 2 + 3);
        cairo_arc(cr, 0, 0, radius, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, -extents.x_bearing - extents.width / 2,
                  -extents.y_bearing - extents.height / 2);
    cairo_show_text(cr, text.text.c_str());
    cairo_restore(cr);
}

}  // namespace

void drawSketch(cairo_t* cr, const Sketch& sketch, double x, double y) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rectangle(cr, 0, 0, sketch.width, sketch.height);
    cairo_clip(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (const SketchShape& shape : sketch.shapes) drawShape(cr, shape);
    for (const SketchText& text : sketch.texts) drawText(cr, text);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(cr, 0.5);
    cairo_rectangle(cr, x, y, sketch.width, sketch.height);
    cairo_stroke(cr);
}
