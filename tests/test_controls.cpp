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

std::string describe(const Camera& c, const ViewState& v, const PumpResult& pump) {
    char text[300];
    std::snprintf(text, sizeof text,
                  "eye %.6f %.6f %.6f centre %g %g %g distance %g angle %.6f turn %g %g rotate %d "
                  "orbit %d shown %d selected %d redraw %d open %d framed %d problems %d",
                  c.eyeX, c.eyeY, c.eyeZ, c.centerX, c.centerY, c.centerZ, c.orbitDistance,
                  c.orbitAngle, v.rotX, v.rotZ, v.rotateMode, v.orbitMode, v.shownBoxes,
                  v.selectedBox, pump.redraw, pump.open, v.framed, v.showProblems);
    return text;
}

// Batches of events on 3 boxes in a container 7 deep (the wheel steps 3) from the home view: the eye's distance and
// angle from home, the turn, the modes, the step k (boxes 1..k shown, box k selected; -1: all, none), redraw, open,
// framed (the framed camera) and the findings shown. A click ends its batch: what follows it is left to the next.
TEST(ControlsTest, EveryEventMovesTheViewAsItShouldAndRedrawsOnlyThen) {
    const bool n = false, y = true;
    struct Row {
        std::vector<SDL_Event> events;
        double distance, angle, rotX, rotZ;
        bool rotate, orbit;
        int32_t step;
        bool redraw, open = true, framed = false, problems = false;
    };
    const Row rows[] = {
        {{event(SDL_KEYUP, SDLK_LCTRL), key(SDLK_a), event(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN),
          button(SDL_BUTTON_RIGHT), motion(5, 5)},
         60,
         0,
         0,
         15,
         n,
         n,
         -1,
         n},
        {{event(SDL_VIDEOEXPOSE)}, 60, 0, 0, 15, n, n, -1, y},
        {{event(SDL_ACTIVEEVENT)}, 60, 0, 0, 15, n, n, -1, y},
        {{key(SDLK_LCTRL)}, 60, 0, 0, 15, y, n, -1, y},
        {{motion(100, 0)}, 60, 0, 0, 19, y, n, -1, y},
        {{motion(0, -7)}, 60, 0, -4, 19, y, n, -1, y},
        {{motion(-2, 3)}, 60, 0, 0, 15, y, n, -1, y},
        {{motion(0, 5)}, 60, 0, 4, 15, y, n, -1, y},
        {{key(SDLK_RCTRL)}, 60, 0, 4, 15, n, n, -1, y},
        {{key(SDLK_LCTRL)}, 60, 0, 4, 15, y, n, -1, y},
        {{key(SDLK_LSHIFT)}, 60, 0, 4, 15, n, y, -1, y},
        {{motion(1, 0)}, 60, 0.1, 4, 15, n, y, -1, y},
        {{motion(-1, 50)}, 60, 0, 4, 15, n, y, -1, y},
        {{motion(0, 9)}, 60, 0, 4, 15, n, y, -1, n},
        {{key(SDLK_RCTRL)}, 60, 0, 4, 15, y, n, -1, y},
        {{key(SDLK_RSHIFT)}, 60, 0, 4, 15, n, y, -1, y},
        {{key(SDLK_UP)}, 53, 0, 4, 15, n, y, -1, y},
        {{key(SDLK_DOWN)}, 60, 0, 4, 15, n, y, -1, y},
        {{key(SDLK_DOWN)}, 67, 0, 4, 15, n, y, -1, y},
        {{key(SDLK_RIGHT)}, 67, 0.5, 4, 15, n, y, -1, y},
        {{key(SDLK_LEFT)}, 67, 0, 4, 15, n, y, -1, y},
        {{key(SDLK_LEFT)}, 67, -0.5, 4, 15, n, y, -1, y},
        {{button(SDL_BUTTON_WHEELUP)}, 64, -0.5, 4, 15, n, y, -1, y},
        {{button(SDL_BUTTON_WHEELDOWN)}, 67, -0.5, 4, 15, n, y, -1, y},
        {{key(SDLK_PAGEUP)}, 67, -0.5, 4, 15, n, y, 2, y},
        {{key(SDLK_PAGEDOWN)}, 67, -0.5, 4, 15, n, y, 3, y},
        {{key(SDLK_PAGEDOWN)}, 67, -0.5, 4, 15, n, y, 3, n},
        {{key(SDLK_HOME)}, 67, -0.5, 4, 15, n, y, 0, y},
        {{key(SDLK_PAGEUP)}, 67, -0.5, 4, 15, n, y, 0, n},
        {{key(SDLK_PAGEDOWN)}, 67, -0.5, 4, 15, n, y, 1, y},
        {{key(SDLK_END)}, 67, -0.5, 4, 15, n, y, 3, y},
        {{key(SDLK_PAGEUP)}, 67, -0.5, 4, 15, n, y, 2, y},
        {{key(SDLK_ESCAPE)}, 60, 0, 0, 0, n, y, 2, y},  // what follows a quit applies:
        {{event(SDL_QUIT), key(SDLK_RSHIFT)}, 60, 0, 0, 0, n, n, 2, y, n},
        {{event(SDL_QUIT)}, 60, 0, 0, 0, n, n, 2, n, n},
        {{key(SDLK_f)}, 60, 0, 0, 0, n, n, 2, y, y, y},
        {{key(SDLK_ESCAPE), key(SDLK_p)}, 60, 0, 0, 0, n, n, 2, y, y, n, y},
        {{button(SDL_BUTTON_LEFT), key(SDLK_PAGEUP)}, 60, 0, 0, 0, n, n, 2, y, y, n, y},
    };
    Scene scene;
    scene.container = {25, 7, 8}, scene.boxCount = 3;
    Camera camera;
    setHomeCamera(camera);
    ViewState view;
    view.rotZ = kHomeRotZ;
    for (const Row& r : rows) {
        std::size_t next = 0;
        const auto poll = [&](SDL_Event* e) {
            return next < r.events.size() ? (*e = r.events[next++], 1) : 0;
        };
        const PumpResult pump = drainEvents(poll, scene, camera, view);
        const double angle = kHomeOrbitAngle + r.angle;
        const Camera home{30 + r.distance * std::cos(angle),
                          r.distance * std::sin(angle),
                          10,
                          30,
                          0,
                          5,
                          angle,
                          r.distance};
        const Camera eye = r.framed ? framedCamera(scene.container, r.rotX, r.rotZ) : home;
        ViewState want{r.rotX,
                       r.rotZ,
                       r.rotate,
                       r.orbit,
                       std::max(r.step, 0),
                       r.step < 0 ? kWholeLoad : r.step};
        want.framed = r.framed, want.showProblems = r.problems;
        EXPECT_EQ(describe(camera, view, pump), describe(eye, want, {r.open, r.redraw}))
            << "after event " << int(r.events[0].type) << " (key " << r.events[0].key.keysym.sym
            << ")";
    }
}

}  // namespace
