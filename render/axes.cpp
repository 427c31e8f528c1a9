// The reference geometry around a layout: coloured axes with ticks and labels, floor and back-wall grids.
#include "render/axes.h"

#include "render/vec.h"
#include "scene/scene.h"

#include <cstdint>

namespace {

// An axis runs 7 units past the container; computed wide so that no 32-bit dimension overflows.
double axisLength(int32_t dim) { return static_cast<double>(int64_t{dim} + 7); }

// One axis, described along a unit direction and with the direction across which
// its arrowhead and ticks lie.
struct AxisStyle {
    GLubyte red, green, blue;
    Vec along;
    Vec across;
    Vec labelOffset;  // added to the shaft's end
    const char* label;
};

Vec at(const Vec& along, double t, const Vec& across, double s) {
    return {along.x * t + across.x * s, along.y * t + across.y * s, along.z * t + across.z * s};
}

void vertex(const Vec& v) { glVertex3d(v.x, v.y, v.z); }

void drawAxis(const AxisStyle& style, int32_t dim, FontLists fonts) {
    const double length = axisLength(dim);
    // clang-format off
    glBegin(GL_LINES);
        glColor3ub(style.red, style.green, style.blue);
        vertex({0, 0, 0});
        vertex(at(style.along, length, style.across, 0));
    glEnd();
    // clang-format on
    // clang-format off
    glBegin(GL_TRIANGLES);
        vertex(at(style.along, length + 0.5, style.across, 0));
        vertex(at(style.along, length, style.across, -0.5));
        vertex(at(style.along, length, style.across, 0.5));
    glEnd();
    // clang-format on
    // clang-format off
    glBegin(GL_LINES);
        for (int64_t i = 0; i < dim; ++i) {
            vertex(at(style.along, double(i), style.across, -0.2));
            vertex(at(style.along, double(i), style.across, 0.2));
        }
    glEnd();
    // clang-format on
    const Vec anchor = at(style.along, length, style.across, 0);
    glColor3ub(style.red, style.green, style.blue);
    glRasterPos3f(float(anchor.x + style.labelOffset.x), float(anchor.y + style.labelOffset.y),
                  float(anchor.z + style.labelOffset.z));
    drawText(fonts, style.label);
}

// Lines across one grid plane: for each t = 0, step, ... <= count, from
// origin + t*along to origin + t*along + span*across.
void gridLines(const Vec& along, int32_t count, int step, const Vec& across, int32_t span) {
    for (int64_t t = 0; t <= count; t += step) {
        vertex(at(along, double(t), across, 0));
        vertex(at(along, double(t), across, double(span)));
    }
}

void drawGridBatch(GLubyte red, GLubyte green, GLubyte blue, int step, const Vec& first,
                   int32_t firstCount, int32_t xCount, int32_t firstSpan) {
    const Vec kX{1, 0, 0};
    // clang-format off
    glBegin(GL_LINES);
        glColor3ub(red, green, blue);
        gridLines(first, firstCount, step, kX, xCount);
        gridLines(kX, xCount, step, first, firstSpan);
    glEnd();
    // clang-format on
}

}  // namespace

void drawAxes(const Scene& scene, const FontCache& fonts) {
    static const AxisStyle kAxes[] = {
        {255, 0, 0, {1, 0, 0}, {0, 0, 1}, {2, 0, 0}, "x"},
        {0, 255, 0, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}, "y"},
        {0, 0, 255, {0, 0, 1}, {1, 0, 0}, {-1, 0, 0}, "z"},
    };
    const Container& c = scene.container;
    const int32_t dims[] = {c.dimX, c.dimY, c.dimZ};

    glLineWidth(3.0f);
    FontLists labels = 0;
    buildFontLists(fonts, kAxisPixelHeight, labels);
    for (int axis = 0; axis < 3; ++axis) drawAxis(kAxes[axis], dims[axis], labels);
    glDeleteLists(labels, kGlyphCount);
}

void drawGrids(const Scene& scene) {
    const Container& c = scene.container;
    const Vec kY{0, 1, 0};
    const Vec kZ{0, 0, 1};
    glLineWidth(1.0f);
    drawGridBatch(100, 100, 100, 1, kY, c.dimY, c.dimX, c.dimY);
    drawGridBatch(51, 155, 155, 10, kY, c.dimY, c.dimX, c.dimY);
    drawGridBatch(100, 100, 100, 1, kZ, c.dimZ, c.dimX, c.dimZ);
    drawGridBatch(51, 155, 155, 10, kZ, c.dimZ, c.dimX, c.dimZ);
}
