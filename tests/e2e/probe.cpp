// Tells the end-to-end scripts box 1's colour and the window pixels of model points under the home view.
#include "render/frame.h"
#include "render/headless.h"
#include "render/view.h"

#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

// probe X Y Z [X Y Z ...] prints "r g b" of box 1, then "column row" of each point, counted from the
// top-left corner as screenshots are.
int main(int argc, char** argv) {
    HeadlessGl gl;
    std::string error;
    if (argc < 4 || (argc - 1) % 3 != 0 ||
        !openHeadlessGl(gl, kWindowWidth, kWindowHeight, error)) {
        std::fprintf(stderr, "usage : probe X Y Z [X Y Z ...] %s\n", error.c_str());
        return 2;
    }
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    // Box 1 takes the first three rand() draws, each reduced to 3..252. The seed is written out here
    // rather than taken from the viewer, so that a changed seed shows.
    std::srand(528135);
    const int red = std::rand() % 250 + 3;
    const int green = std::rand() % 250 + 3;
    std::printf("%d %d %d\n", red, green, std::rand() % 250 + 3);

    setProjection();
    loadViewTransform(camera, view.rotX, view.rotZ);
    GLdouble modelview[16];
    GLdouble projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const GLint viewport[4] = {0, 0, kWindowWidth, kWindowHeight};
    for (int i = 1; i < argc; i += 3) {
        GLdouble x = 0, y = 0, z = 0;
        gluProject(std::atof(argv[i]), std::atof(argv[i + 1]), std::atof(argv[i + 2]), modelview,
                   projection, viewport, &x, &y, &z);
        std::printf("%ld %ld\n", std::lround(std::floor(x)),
                    kWindowHeight - 1 - std::lround(std::floor(y)));
    }
    closeHeadlessGl(gl);
    return 0;
}
