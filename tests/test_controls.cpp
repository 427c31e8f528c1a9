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
SDL_Event key(int k) { return event(SDL_KEYDOWN, k); }
SDL_Event motion(int x, int y) { return event(SDL_MOUSEMOTION, x, y); }
SDL_Event button(int b) { return event(SDL_MOUSEBUTTONDOWN, b); }

// The orbit, the centre and the eye's height (its place on the orbit is checked apart), the view.
std::string describe(const Camera& c, const ViewState& v, const PumpResult& pump) {
    char text[300];
    std::snprintf(text, sizeof text,
                  "orbit %.6f rad %g away, eye height %g, centre %g %g %g, turn %g %g rotate %d "
                  "orbit %d shown %d selected %d redraw %d open %d framed %d problems %d",
                  c.orbitAngle, c.orbitDistance, c.eyeZ, c.centerX, c.centerY, c.centerZ, v.rotX,
                  v.rotZ, v.rotateMode, v.orbitMode, v.shownBoxes, v.selectedBox, pump.redraw,
                  pump.open, v.framed, v.showProblems);
    return text;
}

// Batches of events on 3 boxes in a container 7 deep (the wheel steps 3), each from the home view
// after set-up events of its own (not checked): the eye's distance and angle from home, the turn,
// the modes, the step k (boxes 1..k shown, box k selected; -1: all, none), redraw, open, framed
// (the framed camera) and the findings shown. A click ends its batch: what follows it is left.
TEST(ControlsTest, EveryEventMovesTheViewAsItShouldAndRedrawsOnlyThen) {
    const bool n = false, y = true;
    const SDL_Event ctrl = key(SDLK_LCTRL), shift = key(SDLK_LSHIFT);
    struct Row {
        std::vector<SDL_Event> setUp, events;
        double distance, angle, rotX, rotZ;
        bool rotate, orbit;
        int32_t step;
        bool redraw, open = true, framed = false, problems = false;
    };
    // clang-format off
    const Row rows[] = {
        {{}, {event(SDL_KEYUP, SDLK_LCTRL), key(SDLK_a), motion(5, 5), button(SDL_BUTTON_RIGHT),
              event(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN)}, 60, 0, 0, 15, n, n, -1, n},
        {{}, {event(SDL_VIDEOEXPOSE)}, 60, 0, 0, 15, n, n, -1, y},
        {{}, {event(SDL_ACTIVEEVENT)}, 60, 0, 0, 15, n, n, -1, y},
        {{}, {key(SDLK_LCTRL)}, 60, 0, 0, 15, y, n, -1, y},
        {{ctrl}, {motion(100, 0)}, 60, 0, 0, 19, y, n, -1, y},
        {{ctrl}, {motion(0, -7)}, 60, 0, -4, 15, y, n, -1, y},
        {{ctrl}, {motion(-2, 3)}, 60, 0, 4, 11, y, n, -1, y},
        {{ctrl}, {key(SDLK_RCTRL)}, 60, 0, 0, 15, n, n, -1, y},
        {{ctrl}, {key(SDLK_LSHIFT)}, 60, 0, 0, 15, n, y, -1, y},
        {{ctrl}, {key(SDLK_RSHIFT)}, 60, 0, 0, 15, n, y, -1, y},
        {{shift}, {key(SDLK_RCTRL)}, 60, 0, 0, 15, y, n, -1, y},
        {{shift}, {motion(1, 0)}, 60, 0.1, 0, 15, n, y, -1, y},
        {{shift}, {motion(-1, 50)}, 60, -0.1, 0, 15, n, y, -1, y},
        {{shift}, {motion(0, 9)}, 60, 0, 0, 15, n, y, -1, n},
        {{}, {key(SDLK_UP)}, 53, 0, 0, 15, n, n, -1, y},
        {{}, {key(SDLK_DOWN)}, 67, 0, 0, 15, n, n, -1, y},
        {{}, {key(SDLK_RIGHT)}, 60, 0.5, 0, 15, n, n, -1, y},
        {{}, {key(SDLK_LEFT)}, 60, -0.5, 0, 15, n, n, -1, y},
        {{}, {button(SDL_BUTTON_WHEELUP)}, 57, 0, 0, 15, n, n, -1, y},
        {{}, {button(SDL_BUTTON_WHEELDOWN)}, 63, 0, 0, 15, n, n, -1, y},
        {{}, {key(SDLK_PAGEUP)}, 60, 0, 0, 15, n, n, 2, y},
        {{}, {key(SDLK_PAGEDOWN)}, 60, 0, 0, 15, n, n, 3, y},
        {{key(SDLK_END)}, {key(SDLK_PAGEDOWN)}, 60, 0, 0, 15, n, n, 3, n},
        {{}, {key(SDLK_HOME)}, 60, 0, 0, 15, n, n, 0, y},
        {{key(SDLK_HOME)}, {key(SDLK_PAGEUP)}, 60, 0, 0, 15, n, n, 0, n},
        {{key(SDLK_HOME)}, {key(SDLK_PAGEDOWN)}, 60, 0, 0, 15, n, n, 1, y},
        {{}, {key(SDLK_END)}, 60, 0, 0, 15, n, n, 3, y},
        // Escape: the home camera, the turn at 0, unframed; the modes and the step kept.
        {{ctrl, motion(1, 1), shift, key(SDLK_UP), key(SDLK_RIGHT), key(SDLK_PAGEUP), key(SDLK_f)},
         {key(SDLK_ESCAPE)}, 60, 0, 0, 0, n, y, 2, y},
        {{shift}, {event(SDL_QUIT), key(SDLK_RSHIFT)}, 60, 0, 0, 15, n, n, -1, y, n},  // after quit
        {{}, {event(SDL_QUIT)}, 60, 0, 0, 15, n, n, -1, n, n},
        {{ctrl, motion(1, 1)}, {key(SDLK_f)}, 60, 0, 4, 19, y, n, -1, y, y, y},
        {{key(SDLK_f)}, {key(SDLK_ESCAPE), key(SDLK_p)}, 60, 0, 0, 0, n, n, -1, y, y, n, y},
        {{}, {button(SDL_BUTTON_LEFT), key(SDLK_PAGEUP)}, 60, 0, 0, 15, n, n, -1, y},
    };
    // clang-format on
    Scene scene;
    scene.container = {25, 7, 8}, scene.boxCount = 3;
    for (const Row& r : rows) {
        Camera camera, want;
        ViewState view;
        Palette palette;
        setHomeView(camera, view, palette);
        PumpResult pump;
        for (const std::vector<SDL_Event>* batch : {&r.setUp, &r.events}) {
            std::size_t next = 0;
            const auto poll = [&](SDL_Event* e) {
                return next < batch->size() ? (*e = (*batch)[next++], 1) : 0;
            };
            pump = drainEvents(poll, scene, camera, view);
        }
        setHomeCamera(want);
        want.orbitAngle = kHomeOrbitAngle + r.angle, want.orbitDistance = r.distance;
        if (r.framed) want = framedCamera(scene.container, r.rotX, r.rotZ);
        const int32_t shown = r.step < 0 ? kWholeLoad : r.step;
        ViewState wantView{r.rotX, r.rotZ, r.rotate, r.orbit, std::max(r.step, 0), shown};
        wantView.framed = r.framed, wantView.showProblems = r.problems;
        SCOPED_TRACE("row " + std::to_string(&r - rows + 1));
        EXPECT_EQ(describe(want, wantView, {r.open, r.redraw}), describe(camera, view, pump));
        const double dx = camera.eyeX - camera.centerX, dy = camera.eyeY - camera.centerY;
        EXPECT_NEAR(0, std::remainder(std::atan2(dy, dx) - camera.orbitAngle, 2 * M_PI), 1e-9)
            << "the eye is not at the orbit's angle";
        EXPECT_NEAR(camera.orbitDistance, std::hypot(dx, dy), 1e-9);
    }
}

}  // namespace
