// The same geometry as the viewer's frame drawn as plainly as possible, as the yardstick of the frame's cost.
#include "bench/bare_frame.h"

#include "render/frame.h"
#include "scene/scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

namespace {

// Corner indices (bit 0: x1, bit 1: y1, bit 2: z1) of the six faces and twelve edges.
const int kFaces[24] = {0, 1, 5, 4, 1, 3, 7, 5, 2, 3, 7, 6, 2, 6, 4, 0, 4, 6, 7, 5, 0, 2, 3, 1};
const int kEdges[24] = {0, 1, 0, 4, 4, 5, 5, 1, 2, 3, 2, 6, 6, 7, 7, 3, 4, 6, 0, 2, 1, 3, 5, 7};

void corner(int index, const double x[2], const double y[2], const double z[2]) {
    glVertex3d(x[index & 1], y[(index >> 1) & 1], z[(index >> 2) & 1]);
}

void bareBox(const GLubyte* colour, double px, double py, double pz, double dx, double dy,
             double dz, double shift, bool faces, float width) {
    const double x[2] = {px, px + dx};
    const double y[2] = {py + shift, py + dy + shift};
    const double z[2] = {pz + shift, pz + dz + shift};
    if (faces) {
        // clang-format off
        glBegin(GL_QUADS);
            glColor3ub(colour[0], colour[1], colour[2]);
            for (int i : kFaces) corner(i, x, y, z);
        glEnd();
        // clang-format on
    }
    glColor3ub(0, 0, 0);
    glLineWidth(width);
    // clang-format off
    glBegin(GL_LINES);
        for (int i : kEdges) corner(i, x, y, z);
    glEnd();
    // clang-format on
}

void bareLines(int64_t count, int step, double ax, double ay, double az, double bx, double by,
               double bz, double span) {
    for (int64_t t = 0; t <= count; t += step) {
        glVertex3d(ax * t, ay * t, az * t);
        glVertex3d(ax * t + bx * span, ay * t + by * span, az * t + bz * span);
    }
}

}  // namespace

void drawBareFrame(const Palette& palette, const Scene& scene) {
    glClearColor(1, 1, 1, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);

    const Container& c = scene.container;
    const int64_t dims[3] = {c.dimX, c.dimY, c.dimZ};
    glLineWidth(3);
    for (int axis = 0; axis < 3; ++axis) {
        const double length = double(dims[axis] + 7);
        double along[3] = {0, 0, 0};
        along[axis] = 1;
        const double across[3] = {axis == 2 ? 1.0 : 0.0, 0, axis == 2 ? 0.0 : 1.0};
        // clang-format off
        glBegin(GL_LINES);
            glColor3ub(axis == 0 ? 255 : 0, axis == 1 ? 255 : 0, axis == 2 ? 255 : 0);
            glVertex3d(0, 0, 0);
            glVertex3d(along[0] * length, along[1] * length, along[2] * length);
        glEnd();
        // clang-format on
        // clang-format off
        glBegin(GL_TRIANGLES);
            glVertex3d(along[0] * (length + 0.5), along[1] * (length + 0.5), along[2] * (length + 0.5));
            glVertex3d(along[0] * length - across[0] * 0.5, along[1] * length, along[2] * length - across[2] * 0.5);
            glVertex3d(along[0] * length + across[0] * 0.5, along[1] * length, along[2] * length + across[2] * 0.5);
        glEnd();
        // clang-format on
        // clang-format off
        glBegin(GL_LINES);
            for (int64_t i = 0; i < dims[axis]; ++i) {
                glVertex3d(along[0] * i - across[0] * 0.2, along[1] * i, along[2] * i - across[2] * 0.2);
                glVertex3d(along[0] * i + across[0] * 0.2, along[1] * i, along[2] * i + across[2] * 0.2);
            }
        glEnd();
        // clang-format on
    }

    glLineWidth(1);
    for (int wall = 0; wall < 2; ++wall) {
        const int64_t other = wall == 0 ? c.dimY : c.dimZ;
        const double oy = wall == 0 ? 1 : 0;
        const double oz = wall == 0 ? 0 : 1;
        for (int step : {1, 10}) {
            // clang-format off
            glBegin(GL_LINES);
                glColor3ub(step == 1 ? 100 : 51, step == 1 ? 100 : 155, step == 1 ? 100 : 155);
                bareLines(other, step, 0, oy, oz, 1, 0, 0, double(c.dimX));
                bareLines(c.dimX, step, 1, 0, 0, 0, oy, oz, double(other));
            glEnd();
            // clang-format on
        }
    }

    const int32_t count = std::min(scene.boxCount, int32_t{kMaxBoxes});
    for (int32_t n = 1; n <= count; ++n) {
        const Box& b = scene.boxes[n];
        bareBox(palette.colours[n - 1], b.posX, b.posY, b.posZ, b.dimX, b.dimY, b.dimZ, 0, true, 1);
    }
    for (int32_t n = 1; n <= count; ++n) {
        const Box& b = scene.boxes[n];
        bareBox(palette.colours[n - 1], b.posX, b.posY, b.posZ, b.dimX, b.dimY, b.dimZ, 0.05, false,
                2);
    }
    float ax = float(c.dimX);
    for (int32_t n = 1; n <= count; ++n, ax -= 2) {
        bareBox(palette.colours[n - 1], ax, double(c.dimY + 6), -2, -1.5, 0.8, 1.5, 0, true, 1);
    }
}
