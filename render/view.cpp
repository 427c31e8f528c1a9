// What a frame is drawn from: the home view, the eye's orbit, the palette and the projection.
#include "render/view.h"

#include "render/vec.h"
#include "scene/scene.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The axes reach 7 units past the container and the legend and caption a few more;
// 20 units on every side holds all of them.
constexpr double kSceneMargin = 20;

// How much of the picture's half width or half height the framed container may take.
constexpr double kFramedShare = 0.9;

// The corners lo and hi of the box that spans 0..dim on each axis, whichever way round.
void containerBounds(const Container& c, Vec& lo, Vec& hi) {
    lo = {std::min(0.0, double(c.dimX)), std::min(0.0, double(c.dimY)),
          std::min(0.0, double(c.dimZ))};
    hi = {std::max(0.0, double(c.dimX)), std::max(0.0, double(c.dimY)),
          std::max(0.0, double(c.dimZ))};
}

// The home camera's axes: from the centre toward the eye, and the picture's right and up.
struct ViewAxes {
    Vec back, right, up;
};
ViewAxes homeAxes() {
    Camera home;
    setHomeCamera(home);
    updateEye(home);
    const Vec back =
        unit({home.eyeX - home.centerX, home.eyeY - home.centerY, home.eyeZ - home.centerZ});
    const Vec right = unit(cross(back * -1, {0, 0, 1}));
    return {back, right, cross(right, back * -1)};
}

// The eight corners of the box from lo to hi, as the view turns them.
void turnedCorners(Vec lo, Vec hi, double rotX, double rotZ, Vec corners[8]) {
    for (int k = 0; k < 8; ++k) {
        const Vec corner{(k & 1) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 4) ? hi.z : lo.z};
        corners[k] = turned(corner, rotX, rotZ);
    }
}

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

Camera framedCamera(const Container& container, double rotX, double rotZ) {
    const ViewAxes axes = homeAxes();
    Vec lo, hi;
    containerBounds(container, lo, hi);
    Vec corners[8];
    turnedCorners(lo, hi, rotX, rotZ, corners);
    const double tanY = std::tan(kFieldOfView / 2 * M_PI / 180) * kFramedShare;
    const double tanX = tanY * kAspectRatio;
    // In the picture's axes about the container's centre, corner i stands at (a, b) across
    // and w toward the eye. An eye at (x, y, e) holds it between the left and right sides
    // when e >= w + (a - x) / tanX and e >= w - (a - x) / tanX: with P and Q the largest
    // of w + a / tanX and w - a / tanX, the nearest such eye stands at x = (P - Q) tanX / 2,
    // e = (P + Q) / 2, the two sides touching the outermost corners; the same holds from
    // bottom to top. Whichever direction needs the farther eye sets it; the other one then
    // stays centred, as x and y each sit midway in their allowed range.
    const Vec middle = turned((lo + hi) * 0.5, rotX, rotZ);
    double p[2] = {-HUGE_VAL, -HUGE_VAL}, q[2] = {-HUGE_VAL, -HUGE_VAL}, nearest = -HUGE_VAL;
    for (const Vec& corner : corners) {
        const Vec r = corner - middle;
        const double w = dot(r, axes.back);
        const double across[2] = {dot(r, axes.right) / tanX, dot(r, axes.up) / tanY};
        for (int k = 0; k < 2; ++k) {
            p[k] = std::max(p[k], w + across[k]);
            q[k] = std::max(q[k], w - across[k]);
        }
        nearest = std::max(nearest, w);
    }
    // A container with no extent still gets an eye in front of it.
    const double distance = std::max({(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, nearest + 0.01});
    const Vec centre =
        middle + axes.right * ((p[0] - q[0]) * tanX / 2) + axes.up * ((p[1] - q[1]) * tanY / 2);
    Camera camera;
    camera.centerX = centre.x;
    camera.centerY = centre.y;
    camera.centerZ = centre.z;
    camera.eyeZ = centre.z + axes.back.z * distance;
    camera.orbitAngle = kHomeOrbitAngle;
    camera.orbitDistance = distance * std::hypot(axes.back.x, axes.back.y);
    updateEye(camera);
    return camera;
}

void frameContainer(const Scene& scene, Camera& camera, ViewState& view) {
    camera = framedCamera(scene.container, view.rotX, view.rotZ);
    view.framed = true;
}

ClipPlanes clipPlanesFor(const Scene& scene, const Camera& camera, const ViewState& view) {
    if (!view.framed) return {kNearPlane, farPlaneFor(scene, camera)};
    // The load's bounds: the container and every box.
    Vec lo, hi;
    containerBounds(scene.container, lo, hi);
    const int32_t count = boxesInTable(scene.boxCount);
    for (int32_t n = 1; n <= count; ++n) {
        const Box& b = scene.boxes[n];
        const Vec corner{double(b.posX), double(b.posY), double(b.posZ)};
        const Vec end = corner + Vec{double(b.dimX), double(b.dimY), double(b.dimZ)};
        lo = {std::min({lo.x, corner.x, end.x}), std::min({lo.y, corner.y, end.y}),
              std::min({lo.z, corner.z, end.z})};
        hi = {std::max({hi.x, corner.x, end.x}), std::max({hi.y, corner.y, end.y}),
              std::max({hi.z, corner.z, end.z})};
    }
    // Depth along the line of sight is linear, so over a box it is extreme at a corner.
    const Vec eye{camera.eyeX, camera.eyeY, camera.eyeZ};
    const Vec sight = unit(Vec{camera.centerX, camera.centerY, camera.centerZ} - eye);
    const auto depths = [&](Vec from, Vec to, double& nearest, double& farthest) {
        Vec corners[8];
        turnedCorners(from, to, view.rotX, view.rotZ, corners);
        nearest = HUGE_VAL, farthest = -HUGE_VAL;
        for (const Vec& corner : corners) {
            nearest = std::min(nearest, dot(corner - eye, sight));
            farthest = std::max(farthest, dot(corner - eye, sight));
        }
    };
    // The far plane holds the axes and the legend too, which runs back along x two units a
    // box; the near plane stands just before the load, and may cut the axes' ends beside the
    // eye. With the eye inside the load, or nearly against it, the near plane keeps depth
    // precision: the far one's 1/100000.
    const Vec margin{kSceneMargin, kSceneMargin, kSceneMargin};
    double loadNearest = 0, loadFarthest = 0, nearest = 0, farthest = 0;
    depths(lo, hi, loadNearest, loadFarthest);
    depths(lo - margin - Vec{2.0 * count, 0, 0}, hi + margin, nearest, farthest);
    const double farPlane = std::max(farthest, kFarPlane / 1000);
    return {std::max(loadNearest * 0.9, farPlane / 100000), farPlane};
}

void setProjection(ClipPlanes planes) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, kAspectRatio, planes.nearPlane, planes.farPlane);
}

void loadViewTransform(const Camera& camera, double rotX, double rotZ) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.eyeX, camera.eyeY, camera.eyeZ, camera.centerX, camera.centerY, camera.centerZ,
              0, 0, 1);
    glRotated(rotZ, 0, 0, 1);
    glRotated(rotX, 1, 0, 0);
}
