// The mouse and keyboard controls: model turn, orbit and zoom of the camera, home view, load steps, and the click that picks.
#include "viewer/controls.h"

#include "scene/scene.h"

#include <cmath>

namespace {

void zoom(Camera& camera, double step) {
    camera.orbitDistance += step;
    updateEye(camera);
}

void orbit(Camera& camera, double step) {
    camera.orbitAngle += step;
    updateEye(camera);
}

}  // namespace

int32_t stepShown(SDLKey key, int32_t shown, int32_t total) {
    switch (key) {
        case SDLK_PAGEDOWN:
            return shown < total ? shown + 1 : total;
        case SDLK_PAGEUP:
            return shown > 0 ? shown - 1 : 0;
        case SDLK_HOME:
            return 0;
        case SDLK_END:
            return total;
        default:
            return -1;
    }
}

void handleKeyDown(const SDL_KeyboardEvent& event, const Scene& scene, Camera& camera,
                   ViewState& view) {
    const SDLKey key = event.keysym.sym;
    if (key == SDLK_LCTRL || key == SDLK_RCTRL) {
        view.rotateMode = !view.rotateMode;
        if (view.rotateMode) view.orbitMode = false;
    }
    if (key == SDLK_LSHIFT || key == SDLK_RSHIFT) {
        view.orbitMode = !view.orbitMode;
        if (view.orbitMode) view.rotateMode = false;
    }
    const int32_t step = stepShown(key, shownCount(scene, view), boxesInTable(scene.boxCount));
    if (step >= 0) {
        // The box just placed becomes the selection; none on the empty container.
        view.shownBoxes = step;
        view.selectedBox = step;
    }
    const double depth = scene.container.dimY;
    switch (key) {
        case SDLK_UP:
            zoom(camera, -depth);
            break;
        case SDLK_DOWN:
            zoom(camera, depth);
            break;
        case SDLK_ESCAPE:
            view.rotX = 0;
            view.rotZ = 0;
            view.framed = false;
            setHomeCamera(camera);
            break;
        case SDLK_f:
            frameContainer(scene, camera, view);
            break;
        case SDLK_p:
            view.showProblems = !view.showProblems;
            break;
        case SDLK_RIGHT:
            orbit(camera, 0.5);
            break;
        case SDLK_LEFT:
            orbit(camera, -0.5);
            break;
        default:
            break;
    }
}

void handleMouseMotion(const SDL_MouseMotionEvent& event, Camera& camera, ViewState& view) {
    if (view.rotateMode) {
        if (event.xrel > 0) view.rotZ += 4;
        if (event.xrel < 0) view.rotZ -= 4;
        if (event.yrel > 0) view.rotX += 4;
        if (event.yrel < 0) view.rotX -= 4;
    }
    if (view.orbitMode) {
        if (event.xrel > 0) orbit(camera, 0.1);
        if (event.xrel < 0) orbit(camera, -0.1);
    }
}

void handleMouseButtonDown(const SDL_MouseButtonEvent& event, const Scene& scene, Camera& camera,
                           ViewState& view) {
    // Integer halving, truncated toward zero: a depth of 7 steps by 3, -7 by -3.
    const double wheelStep = scene.container.dimY / 2;
    switch (event.button) {
        case SDL_BUTTON_WHEELDOWN:
            zoom(camera, wheelStep);
            break;
        case SDL_BUTTON_WHEELUP:
            zoom(camera, -wheelStep);
            break;
        case SDL_BUTTON_LEFT:
            // The pick itself needs GL: the frame loop runs it before the next frame.
            view.pickPending = true;
            view.pickX = event.x;
            view.pickY = kWindowHeight - event.y;
            break;
        default:
            break;
    }
}
