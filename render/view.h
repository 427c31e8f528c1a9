// What a frame is drawn from: the window's size and projection, the camera, the model turn and the palette.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <limits>

struct Scene;
struct Container;

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 768;
constexpr unsigned kPaletteSeed = 528135;

constexpr double kFieldOfView = 70;
constexpr double kAspectRatio = 4.0 / 3.0;
constexpr double kNearPlane = 1;
// The far plane never comes nearer than this; larger containers push it back.
constexpr double kFarPlane = 1000;

constexpr int kPaletteSize = 60;

// Box n is drawn with colours[n - 1].
struct Palette {
    GLubyte colours[kPaletteSize][3] = {};
};

// The eye looks at the centre with +z up; eyeX and eyeY follow from the centre,
// orbitAngle (radians) and orbitDistance.
struct Camera {
    double eyeX = 0;
    double eyeY = 0;
    double eyeZ = 0;
    double centerX = 0;
    double centerY = 0;
    double centerZ = 0;
    double orbitAngle = 0;
    double orbitDistance = 0;
};

// shownBoxes when the whole load is shown, whatever its size.
constexpr int32_t kWholeLoad = std::numeric_limits<int32_t>::max();

// The model turn (degrees), the two latched modes, the picked box (0 for none), how many
// boxes of the load are shown (boxes 1..shownBoxes), and a click waiting to be picked.
struct ViewState {
    double rotX = 0;
    double rotZ = 15;
    bool rotateMode = false;
    bool orbitMode = false;
    int32_t selectedBox = 0;
    int32_t shownBoxes = kWholeLoad;
    bool pickPending = false;
    double pickX = 0;  // GL window coordinates, origin at the bottom left
    double pickY = 0;
    bool framed = false;        // the camera frames the container: its own near and far planes
    bool showProblems = false;  // the checker's findings drawn over the load
};

// Just below pi/2: the home eye lies on the +y side of the centre.
constexpr double kHomeOrbitAngle = 1.5707963267945;
constexpr double kHomeRotZ = 15;

// Writes the home eye (30, 60, 10), centre (30, 0, 5), orbit angle and distance.
void setHomeCamera(Camera& camera);

// Places the eye on its orbit from orbitAngle and orbitDistance.
void updateEye(Camera& camera);

// Fills every entry from three rand() calls, each reduced to 3..252. Call after srand(kPaletteSeed).
void makePalette(Palette& palette);

// Where a view starts: home camera, the model turned 15 degrees, no mode, no selection,
// the whole load, and the palette made afresh from its seed.
void setHomeView(Camera& camera, ViewState& view, Palette& palette);

// How many boxes of the scene the view shows: boxes 1..shownCount.
int32_t shownCount(const Scene& scene, const ViewState& view);

// The far plane that keeps the whole container (with its axes, caption and legend) in
// view from the camera's eye, whatever the model turn; never nearer than kFarPlane.
double farPlaneFor(const Scene& scene, const Camera& camera);

// The camera that frames the whole container, turned by rotX and rotZ (degrees), from the
// home camera's direction: every corner inside the picture, the widest span about nine
// tenths of its width or height, whatever the container's size. Orbit and zoom move it as
// they move the home camera, around the container's centre.
Camera framedCamera(const Container& container, double rotX, double rotZ);

// Frames the container as the view turns it, and marks the view framed.
void frameContainer(const Scene& scene, Camera& camera, ViewState& view);

struct ClipPlanes {
    double nearPlane = kNearPlane;
    double farPlane = kFarPlane;
};

// The planes a frame and a pick use: kNearPlane and farPlaneFor, or, in a framed view, planes
// that hug everything drawn (boxes, container, axes, legend), so that depth keeps its
// precision at any size.
ClipPlanes clipPlanesFor(const Scene& scene, const Camera& camera, const ViewState& view);

// Loads the window's perspective with the given planes; the mode stays GL_PROJECTION.
void setProjection(ClipPlanes planes = {});

// Loads identity, the camera's look-at with +z up, then the model turn about z and x (degrees).
void loadViewTransform(const Camera& camera, double rotX, double rotZ);
