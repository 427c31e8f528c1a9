// The mouse and keyboard controls: model turn, orbit and zoom of the camera, home view, and the click that picks.
#pragma once

#include "render/frame.h"

#include <SDL.h>

#include <cstdint>

struct Scene;

// The model turn (degrees), the two latched modes and the picked box (0 for none).
struct ViewState {
    double rotX = 0;
    double rotZ = 15;
    bool rotateMode = false;
    bool orbitMode = false;
    int32_t selectedBox = 0;
};

// Just below pi/2: the home eye lies on the +y side of the centre.
constexpr double kHomeOrbitAngle = 1.5707963267945;
constexpr double kHomeRotZ = 15;

// Writes the home eye (30, 60, 10), centre (30, 0, 5), orbit angle and distance.
void setHomeCamera(Camera& camera);

// Places the eye on its orbit from orbitAngle and orbitDistance.
void updateEye(Camera& camera);

// Ctrl and Shift latch the modes; the arrows zoom and step around the centre; Escape goes home.
void handleKeyDown(const SDL_KeyboardEvent& event, const Scene& scene, Camera& camera,
                   ViewState& view);

// In rotate mode, turns the model 4 degrees per event; in orbit mode, steps the eye 0.1 rad.
void handleMouseMotion(const SDL_MouseMotionEvent& event, Camera& camera, ViewState& view);

// The wheel zooms by half the container's depth; a left click picks the box under the pointer.
void handleMouseButtonDown(const SDL_MouseButtonEvent& event, const Scene& scene,
                           Camera& camera, ViewState& view);
