// The mouse and keyboard controls: model turn, orbit and zoom of the camera, home view, and the click that picks.
#pragma once

#include "render/view.h"

#include <SDL.h>

#include <cstdint>

struct Scene;

// Ctrl and Shift latch the modes; the arrows zoom and step around the centre; Escape goes home.
void handleKeyDown(const SDL_KeyboardEvent& event, const Scene& scene, Camera& camera,
                   ViewState& view);

// In rotate mode, turns the model 4 degrees per event; in orbit mode, steps the eye 0.1 rad.
void handleMouseMotion(const SDL_MouseMotionEvent& event, Camera& camera, ViewState& view);

// The wheel zooms by half the container's depth; a left click picks the box under the pointer.
void handleMouseButtonDown(const SDL_MouseButtonEvent& event, const Scene& scene,
                           Camera& camera, ViewState& view);
