// Tests of the keyboard and mouse controls through the event pump that feeds them, and its redraw rule.
#include "viewer/controls.h"

#include "scene/scene.h"
#include "viewer/window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// An event of type: key or button a pressed or released, or a motion by (a, b).
SDL_Event event(Uint8 type, int a = 0, int b = 0) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) e.key.keysym.sym = SDLKey(a);
    if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) e.button.button = Uint8(a);
    if (type == SDL_MOUSEMOTION) e.motion.xrel = Sint16(a), e.motion.yrel = Sint16(b);
    return e;
}

// Hands the events to drainEvents one poll at a time.
PumpResult drain(const std::vector<SDL_Event>& events, const Scene& scene, Camera& camera, ViewState& view) {
    std::size_t next = 0;
    const auto poll = [&](SDL_Event* e) { return next < events.size() ? (*e = events[next++], 1) : 0; };
    const PumpResult result = drainEvents(poll, scene, camera, view);
    EXPECT_EQ(next, events.size()) << "events taken";
    return result;
}

std::string describe(const Camera& c, const ViewState& v, bool redraw) {
    char text[300];
    std::snprintf(text, sizeof text, "eye %.6f %.6f %.6f centre %g %g %g distance %g angle %.6f turn %g %g "
                  "rotate %d orbit %d shown %d selected %d redraw %d", c.eyeX, c.eyeY, c.eyeZ, c.centerX,
                  c.centerY, c.centerZ, c.orbitDistance, c.orbitAngle, v.rotX, v.rotZ, v.rotateMode,
                  v.orbitMode, v.shownBoxes, v.selectedBox, redraw);
    return text;
}

// One event at a time on 3 boxes in a container 20 deep, from the home view: the eye's distance and
// angle from home, the model turn, the modes, the step and selection, and whether a redraw is asked.
TEST(ControlsTest, EveryEventMovesTheViewAsItShouldAndRedrawsOnlyThen) {
    const bool n = false, y = true;
    const int32_t all = kWholeLoad;
    struct Row {
        SDL_Event e;
        double distance, angle, rotX, rotZ;
        bool rotate, orbit;
        int32_t shown, selected;
        bool redraw;
    };
    const Row rows[] = {
        {event(SDL_KEYUP, SDLK_LCTRL), 60, 0, 0, 15, n, n, all, 0, n},
        {event(SDL_KEYDOWN, SDLK_a), 60, 0, 0, 15, n, n, all, 0, n},
        {event(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN), 60, 0, 0, 15, n, n, all, 0, n},
        {event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), 60, 0, 0, 15, n, n, all, 0, n},
        {event(SDL_MOUSEMOTION, 5, 5), 60, 0, 0, 15, n, n, all, 0, n},
        {event(SDL_VIDEOEXPOSE), 60, 0, 0, 15, n, n, all, 0, y},
        {event(SDL_ACTIVEEVENT), 60, 0, 0, 15, n, n, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_LCTRL), 60, 0, 0, 15, y, n, all, 0, y},
        {event(SDL_MOUSEMOTION, 100, 0), 60, 0, 0, 19, y, n, all, 0, y},
        {event(SDL_MOUSEMOTION, 0, -7), 60, 0, -4, 19, y, n, all, 0, y},
        {event(SDL_MOUSEMOTION, -2, 3), 60, 0, 0, 15, y, n, all, 0, y},
        {event(SDL_MOUSEMOTION, 0, 5), 60, 0, 4, 15, y, n, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_RCTRL), 60, 0, 4, 15, n, n, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_LCTRL), 60, 0, 4, 15, y, n, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_LSHIFT), 60, 0, 4, 15, n, y, all, 0, y},
        {event(SDL_MOUSEMOTION, 1, 0), 60, 0.1, 4, 15, n, y, all, 0, y},
        {event(SDL_MOUSEMOTION, -1, 50), 60, 0, 4, 15, n, y, all, 0, y},
        {event(SDL_MOUSEMOTION, 0, 9), 60, 0, 4, 15, n, y, all, 0, n},
        {event(SDL_KEYDOWN, SDLK_RCTRL), 60, 0, 4, 15, y, n, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_RSHIFT), 60, 0, 4, 15, n, y, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_UP), 40, 0, 4, 15, n, y, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_DOWN), 60, 0, 4, 15, n, y, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_DOWN), 80, 0, 4, 15, n, y, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_RIGHT), 80, 0.5, 4, 15, n, y, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_LEFT), 80, 0, 4, 15, n, y, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_LEFT), 80, -0.5, 4, 15, n, y, all, 0, y},
        {event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP), 70, -0.5, 4, 15, n, y, all, 0, y},
        {event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN), 80, -0.5, 4, 15, n, y, all, 0, y},
        {event(SDL_KEYDOWN, SDLK_PAGEUP), 80, -0.5, 4, 15, n, y, 2, 2, y},
        {event(SDL_KEYDOWN, SDLK_PAGEDOWN), 80, -0.5, 4, 15, n, y, 3, 3, y},
        {event(SDL_KEYDOWN, SDLK_PAGEDOWN), 80, -0.5, 4, 15, n, y, 3, 3, n},
        {event(SDL_KEYDOWN, SDLK_HOME), 80, -0.5, 4, 15, n, y, 0, 0, y},
        {event(SDL_KEYDOWN, SDLK_PAGEUP), 80, -0.5, 4, 15, n, y, 0, 0, n},
        {event(SDL_KEYDOWN, SDLK_PAGEDOWN), 80, -0.5, 4, 15, n, y, 1, 1, y},
        {event(SDL_KEYDOWN, SDLK_END), 80, -0.5, 4, 15, n, y, 3, 3, y},
        {event(SDL_KEYDOWN, SDLK_PAGEUP), 80, -0.5, 4, 15, n, y, 2, 2, y},
        {event(SDL_KEYDOWN, SDLK_ESCAPE), 60, 0, 0, 0, n, y, 2, 2, y},
        {event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), 60, 0, 0, 0, n, y, 2, 2, y},  // a click to pick
    };
    Scene scene;
    scene.container = {25, 20, 8};
    scene.boxCount = 3;
    Camera camera;
    setHomeCamera(camera);
    ViewState view;
    view.rotZ = kHomeRotZ;
    for (const Row& r : rows) {
        const PumpResult pump = drain({r.e}, scene, camera, view);
        const double angle = kHomeOrbitAngle + r.angle;
        const Camera eye{30 + r.distance * std::cos(angle), r.distance * std::sin(angle), 10, 30, 0, 5,
                         angle, r.distance};
        ViewState want{r.rotX, r.rotZ, r.rotate, r.orbit, r.selected, r.shown};
        EXPECT_EQ(describe(camera, view, pump.redraw), describe(eye, want, r.redraw))
            << "after event " << int(r.e.type) << " (key " << r.e.key.keysym.sym << ")";
        EXPECT_TRUE(pump.open);
    }
    EXPECT_EQ(view.pickY, kWindowHeight) << "the click's row 0 is GL row 768";
    // A quit ends the loop, but the events after it in the same drain apply.
    view.pickPending = false;
    EXPECT_FALSE(drain({event(SDL_QUIT), event(SDL_KEYDOWN, SDLK_LCTRL)}, scene, camera, view).open);
    EXPECT_TRUE(view.rotateMode) << "the Ctrl after the quit";
    // The wheel steps by half the depth, halved as an integer.
    for (const auto& [dimY, distance] : {std::pair{7, 63.0}, {-7, 57.0}, {1, 60.0}}) {
        setHomeCamera(camera);
        scene.container.dimY = dimY;
        drain({event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN)}, scene, camera, view);
        EXPECT_EQ(camera.orbitDistance, distance) << "wheel down with depth " << dimY;
    }
}

} // namespace
