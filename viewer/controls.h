// The mouse and keyboard controls: model turn, orbit and zoom of the camera, home view, load steps, and the click that picks.
#pragma once

#include "render/view.h"

#include <SDL.h>

#include <cstdint>

struct Scene;

// How many of total boxes a step key leaves shown, from shown (0..total): Page Down one
// more (at most total), Page Up one fewer (at least 0), Home none, End all; -1 for other keys.
int32_t stepShown(SDLKey key, int32_t shown, int32_t total);

// Ctrl and Shift latch the modes; the arrows zoom and step around the centre; Escape goes home
// (keeping the step and the selection); a step key shows boxes 1..k and selects box k; F frames
// the container as the model is turned; P shows or hides the checker's findings.
void handleKeyDown(const SDL_KeyboardEvent& event, const Scene& scene, Camera& camera,
                   ViewState& view);

// In rotate mode, turns the model 4 degrees per event; in orbit mode, steps the eye 0.1 rad.
void handleMouseMotion(const SDL_MouseMotionEvent& event, Camera& camera, ViewState& view);

// The wheel zooms by half the container's depth; a left click picks the box under the pointer.
void handleMouseButtonDown(const SDL_MouseButtonEvent& event, const Scene& scene, Camera& camera,
                           ViewState& view);
