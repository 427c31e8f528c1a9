// The viewer window: opening it, the projection, the palette, the event pump and the frame loop.
#pragma once

#include "render/font.h"
#include "render/frame.h"

#include <SDL.h>

#include <functional>
#include <iosfwd>

struct Scene;
struct ViewState;

// Settings that must be in place before SDL starts: the 1.2 layer is asked to draw
// straight into the window rather than through a scaled copy, and to leave SIGINT and
// SIGTERM alone, so that they end the program as they end any other.
void prepareVideo();

// The flags every SDL_Init of the program uses: video, with no handlers of SDL's own
// for fatal signals.
constexpr Uint32 kVideoInitFlags = SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE;

// Opens the window, shows the scene until the user closes it, then shuts SDL down.
// A window that cannot be opened, or fonts that cannot be used (said once per window),
// are reported on out, one line each.
void runViewer(const Scene& scene, const FontCache& fonts, std::ostream& out);

// What a batch of events asks of the frame loop: whether the window stays open, and
// whether the picture must be drawn again (the view changed, a click waits to be picked,
// or the window was exposed).
struct PumpResult {
    bool open = true;
    bool redraw = false;
};

// Drains the pending events through poll, handing each to the controls, up to and including
// a left click, whose pick must come before what follows it. open is false when a quit request
// was among them; the events after it are still handled.
using PollEvent = std::function<int(SDL_Event*)>;
PumpResult drainEvents(const PollEvent& poll, const Scene& scene, Camera& camera, ViewState& view);

// Waits for the next event on SDL's queue, then drains the queue with drainEvents.
// open is false, after a line on out, when waiting fails.
PumpResult handleEvents(const Scene& scene, Camera& camera, ViewState& view, std::ostream& out);
