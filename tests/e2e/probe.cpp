// Tells the end-to-end scripts which colour a box is drawn in and where a model point lands in the window.
#include "render/frame.h"
#include "render/headless.h"
#include "viewer/controls.h"
#include "viewer/window.h"

#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage : probe colour N\n"
                 "        probe point X Y Z [ROTX ROTZ]\n");
    return 2;
}

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

// The palette's seed, written out here rather than taken from the viewer, so a changed seed shows.
constexpr unsigned kExpectedSeed = 528135;

// Prints "r g b" of box n, derived afresh: box n takes the n-th three rand() draws, each reduced
// to 3..252. Refuses to answer when the viewer's own palette disagrees.
int printColour(const Palette& palette, const char* text) {
    double number = 0;
    if (!parseNumber(text, number) || number < 1 || number > kPaletteSize ||
        number != std::floor(number)) {
        return usage();
    }
    const int n = static_cast<int>(number);
    std::srand(kExpectedSeed);
    int colour[3] = {};
    for (int k = 1; k <= n; ++k) {
        for (int& channel : colour) channel = std::rand() % 250 + 3;
    }
    const GLubyte* viewerColour = palette.colours[n - 1];
    if (viewerColour[0] != colour[0] || viewerColour[1] != colour[1] ||
        viewerColour[2] != colour[2]) {
        std::fprintf(stderr,
                     "probe : la palette du viewer donne %d %d %d a la boite %d, attendu %d %d %d\n",
                     viewerColour[0], viewerColour[1], viewerColour[2], n, colour[0], colour[1],
                     colour[2]);
        return 1;
    }
    std::printf("%d %d %d\n", colour[0], colour[1], colour[2]);
    return 0;
}

// Prints "column row depth" of a model point under the home camera: the pixel of the
// window holding it, counted from the top-left corner as X screenshots are.
int printPoint(const Camera& camera, double rotX, double rotZ, const double (&point)[3]) {
    setProjection();
    loadViewTransform(camera, rotX, rotZ);
    GLdouble modelview[16];
    GLdouble projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const GLint viewport[4] = {0, 0, kWindowWidth, kWindowHeight};
    GLdouble winX = 0;
    GLdouble winY = 0;
    GLdouble winZ = 0;
    if (gluProject(point[0], point[1], point[2], modelview, projection, viewport, &winX, &winY,
                   &winZ) != GL_TRUE) {
        std::fprintf(stderr, "probe : point impossible a projeter\n");
        return 1;
    }
    const long column = static_cast<long>(std::floor(winX));
    const long row = kWindowHeight - 1 - static_cast<long>(std::floor(winY));
    std::printf("%ld %ld %.6f\n", column, row, winZ);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];

    HeadlessGl gl;
    std::string error;
    if (!openHeadlessGl(gl, kWindowWidth, kWindowHeight, error)) {
        std::fprintf(stderr, "probe : %s\n", error.c_str());
        return 1;
    }
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);

    int status = 0;
    if (command == "colour" && argc == 3) {
        status = printColour(palette, argv[2]);
    } else if (command == "point" && (argc == 5 || argc == 7)) {
        double point[3] = {};
        double rotX = view.rotX;
        double rotZ = view.rotZ;
        bool ok = parseNumber(argv[2], point[0]) && parseNumber(argv[3], point[1]) &&
                  parseNumber(argv[4], point[2]);
        if (argc == 7) ok = ok && parseNumber(argv[5], rotX) && parseNumber(argv[6], rotZ);
        status = ok ? printPoint(camera, rotX, rotZ, point) : usage();
    } else {
        status = usage();
    }
    closeHeadlessGl(gl);
    return status;
}
