// The viewer window: opening it, the projection, the palette, the event pump and the frame loop.
#pragma once

#include "render/font.h"
#include "render/frame.h"

#include <SDL.h>

#include <functional>

struct Scene;
struct ViewState;

// Settings that must be in place before SDL starts: the 1.2 layer is asked to
// draw straight into the window rather than through a scaled copy.
void prepareVideo();

// Opens the window, shows the scene until the user closes it, then shuts SDL down.
// When no window can be opened, says why on standard output and returns.
void runViewer(const Scene& scene, const FontCache& fonts);

// Drains the pending events through poll, handing each to the controls. Returns
// false when a quit request was among them; the events after it are still handled.
using PollEvent = std::function<int(SDL_Event*)>;
bool drainEvents(const PollEvent& poll, const Scene& scene, Camera& camera, ViewState& view);

// drainEvents over SDL's own queue; never blocks.
bool handleEvents(const Scene& scene, Camera& camera, ViewState& view);
