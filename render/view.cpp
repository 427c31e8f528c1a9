// What a frame is drawn from: the home view, the eye's orbit, the palette and the projection.
#include "render/view.h"

#include "scene/scene.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The axes reach 7 units past the container and the legend and caption a few more;
// 20 units on every side holds all of them.
constexpr double kSceneMargin = 20;

}  // namespace

void setHomeCamera(Camera& camera) {
    camera.eyeX = 30;
    camera.eyeY = 60;
    camera.eyeZ = 10;
    camera.centerX = 30;
    camera.centerY = 0;
    camera.centerZ = 5;
    camera.orbitAngle = kHomeOrbitAngle;
    const double dx = camera.eyeX - camera.centerX;
    const double dy = camera.eyeY - camera.centerY;
    camera.orbitDistance = std::sqrt(dx * dx + dy * dy);
}

void updateEye(Camera& camera) {
    camera.eyeX = std::cos(camera.orbitAngle) * camera.orbitDistance + camera.centerX;
    camera.eyeY = std::sin(camera.orbitAngle) * camera.orbitDistance + camera.centerY;
}

void makePalette(Palette& palette) {
    for (auto& colour : palette.colours) {
        for (auto& channel : colour) channel = static_cast<GLubyte>(std::rand() % 250 + 3);
    }
}

void setHomeView(Camera& camera, ViewState& view, Palette& palette) {
    setHomeCamera(camera);
    view = ViewState{};
    view.rotZ = kHomeRotZ;
    view.rotX = 0;
    std::srand(kPaletteSeed);
    makePalette(palette);
}

int32_t shownCount(const Scene& scene, const ViewState& view) {
    return std::max(0, std::min(boxesInTable(scene.boxCount), view.shownBoxes));
}

double farPlaneFor(const Scene& scene, const Camera& camera) {
    // The model turns about the origin, which keeps every point's distance to it; so the
    // farthest point lies at most |eye| + the scene's radius away from the eye.
    const Container& c = scene.container;
    const double x = std::abs(double(c.dimX)) + kSceneMargin;
    const double y = std::abs(double(c.dimY)) + kSceneMargin;
    const double z = std::abs(double(c.dimZ)) + kSceneMargin;
    const double eye = std::sqrt(camera.eyeX * camera.eyeX + camera.eyeY * camera.eyeY +
                                 camera.eyeZ * camera.eyeZ);
    return std::max(kFarPlane, eye + std::sqrt(x * x + y * y + z * z));
}

void setProjection(double farPlane) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, kAspectRatio, kNearPlane, farPlane);
}

void loadViewTransform(const Camera& camera, double rotX, double rotZ) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.eyeX, camera.eyeY, camera.eyeZ, camera.centerX, camera.centerY, camera.centerZ,
              0, 0, 1);
    glRotated(rotZ, 0, 0, 1);
    glRotated(rotX, 1, 0, 0);
}
