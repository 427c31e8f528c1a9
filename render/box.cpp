// Draws one axis-aligned box: filled faces with edges, or the heavier shifted outline.
#include "render/box.h"

namespace {

struct Corners {
    double x0, x1, y0, y1, z0, z1;
};

void setEdgeStyle(const GLubyte* colour, bool selected, GLfloat plainWidth) {
    if (selected) {
        glColor3ub(static_cast<GLubyte>(255 - colour[0]), static_cast<GLubyte>(255 - colour[1]),
                   static_cast<GLubyte>(255 - colour[2]));
        glLineWidth(4.0f);
    } else {
        glColor3ub(0, 0, 0);
        glLineWidth(plainWidth);
    }
}

void drawEdges(const Corners& c) {
    // clang-format off
    glBegin(GL_LINES);
        glVertex3d(c.x0, c.y0, c.z0); glVertex3d(c.x1, c.y0, c.z0);
        glVertex3d(c.x0, c.y0, c.z0); glVertex3d(c.x0, c.y0, c.z1);
        glVertex3d(c.x0, c.y0, c.z1); glVertex3d(c.x1, c.y0, c.z1);
        glVertex3d(c.x1, c.y0, c.z1); glVertex3d(c.x1, c.y0, c.z0);
        glVertex3d(c.x0, c.y1, c.z0); glVertex3d(c.x1, c.y1, c.z0);
        glVertex3d(c.x0, c.y1, c.z0); glVertex3d(c.x0, c.y1, c.z1);
        glVertex3d(c.x0, c.y1, c.z1); glVertex3d(c.x1, c.y1, c.z1);
        glVertex3d(c.x1, c.y1, c.z1); glVertex3d(c.x1, c.y1, c.z0);
        glVertex3d(c.x0, c.y0, c.z1); glVertex3d(c.x0, c.y1, c.z1);
        glVertex3d(c.x0, c.y0, c.z0); glVertex3d(c.x0, c.y1, c.z0);
        glVertex3d(c.x1, c.y0, c.z0); glVertex3d(c.x1, c.y1, c.z0);
        glVertex3d(c.x1, c.y0, c.z1); glVertex3d(c.x1, c.y1, c.z1);
    glEnd();
    // clang-format on
}

}  // namespace

void drawBox(const GLubyte* colour, float x, float y, float z, float dx, float dy, float dz,
             bool selected) {
    const Corners c{x, double(x) + dx, y, double(y) + dy, z, double(z) + dz};
    // clang-format off
    glBegin(GL_QUADS);
        if (colour != nullptr) glColor3ub(colour[0], colour[1], colour[2]);
        glVertex3d(c.x0, c.y0, c.z0); glVertex3d(c.x1, c.y0, c.z0);
        glVertex3d(c.x1, c.y0, c.z1); glVertex3d(c.x0, c.y0, c.z1);

        glVertex3d(c.x1, c.y0, c.z0); glVertex3d(c.x1, c.y1, c.z0);
        glVertex3d(c.x1, c.y1, c.z1); glVertex3d(c.x1, c.y0, c.z1);

        glVertex3d(c.x0, c.y1, c.z0); glVertex3d(c.x1, c.y1, c.z0);
        glVertex3d(c.x1, c.y1, c.z1); glVertex3d(c.x0, c.y1, c.z1);

        glVertex3d(c.x0, c.y1, c.z0); glVertex3d(c.x0, c.y1, c.z1);
        glVertex3d(c.x0, c.y0, c.z1); glVertex3d(c.x0, c.y0, c.z0);

        glVertex3d(c.x0, c.y0, c.z1); glVertex3d(c.x0, c.y1, c.z1);
        glVertex3d(c.x1, c.y1, c.z1); glVertex3d(c.x1, c.y0, c.z1);

        glVertex3d(c.x0, c.y0, c.z0); glVertex3d(c.x0, c.y1, c.z0);
        glVertex3d(c.x1, c.y1, c.z0); glVertex3d(c.x1, c.y0, c.z0);
    glEnd();
    // clang-format on
    setEdgeStyle(colour, selected, 1.0f);
    drawEdges(c);
}

void drawBoxOutline(const GLubyte* colour, float x, float y, float z, float dx, float dy, float dz,
                    bool selected) {
    setEdgeStyle(colour, selected, 2.0f);
    const Corners c{x,
                    double(x) + dx,
                    double(y) + kOutlineOffset,
                    (double(y) + dy) + kOutlineOffset,
                    double(z) + kOutlineOffset,
                    (double(z) + dz) + kOutlineOffset};
    drawEdges(c);
}
