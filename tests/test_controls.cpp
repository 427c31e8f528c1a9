// Tests of the keyboard and mouse controls and of the event pump that feeds them.
#include "viewer/controls.h"

#include "scene/scene.h"
#include "render/view.h"
#include "viewer/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <sstream>
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

std::string describe(const ViewState& v) {
    std::ostringstream out;
    out << "turn " << v.rotX << " " << v.rotZ << ", rotate " << v.rotateMode << ", orbit "
        << v.orbitMode << ", selected " << v.selectedBox;
    return out.str();
}

// A container 20 deep, the home camera and the home model turn.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene.container = {25, 20, 8};
        setHomeCamera(camera);
        view.rotZ = kHomeRotZ;
    }

    void press(SDLKey key) { handleKeyDown(event(SDL_KEYDOWN, key).key, scene, camera, view); }
    void move(int x, int y) {
        handleMouseMotion(event(SDL_MOUSEMOTION, x, y).motion, camera, view);
    }
    void click(int button) {
        handleMouseButtonDown(event(SDL_MOUSEBUTTONDOWN, button).button, scene, camera, view);
    }

    // Hands the events to drainEvents one poll at a time; true while no quit came. Expects
    // a redraw exactly when redraw says so.
    bool drain(const std::vector<SDL_Event>& events, bool redraw) {
        std::size_t next = 0;
        const auto poll = [&](SDL_Event* e) {
            return next < events.size() ? (*e = events[next++], 1) : 0;
        };
        const PumpResult result = drainEvents(poll, scene, camera, view);
        EXPECT_EQ(next, events.size()) << "events taken";
        EXPECT_EQ(result.redraw, redraw) << "redraw after " << events.size() << " events";
        return result.open;
    }

    // Whether the eye is on its orbit about the home centre (30, 0, 5), at height 10.
    testing::AssertionResult eyeAt(double distance, double angle) const {
        const Camera& c = camera;
        const bool ok = c.orbitDistance == distance && std::fabs(c.orbitAngle - angle) < 1e-12 &&
                        std::fabs(c.eyeX - 30 - distance * std::cos(angle)) < 1e-9 &&
                        std::fabs(c.eyeY - distance * std::sin(angle)) < 1e-9 && c.eyeZ == 10 &&
                        c.centerX == 30 && c.centerY == 0 && c.centerZ == 5;
        return (ok ? testing::AssertionSuccess() : testing::AssertionFailure())
               << "expected distance " << distance << " at angle " << angle << ", got "
               << c.orbitDistance << " at " << c.orbitAngle << ", eye " << c.eyeX << " " << c.eyeY
               << " " << c.eyeZ << ", centre " << c.centerX << " " << c.centerY << " " << c.centerZ;
    }

    Scene scene;
    Camera camera;
    ViewState view;
};

TEST_F(ControlsTest, CtrlAndShiftLatchExclusiveModes) {
    struct Step {
        SDLKey key;
        bool rotate, orbit;
    };
    for (const Step& step : {Step{SDLK_LCTRL, true, false}, Step{SDLK_RCTRL, false, false},
                             Step{SDLK_LCTRL, true, false}, Step{SDLK_LSHIFT, false, true},
                             Step{SDLK_RCTRL, true, false}, Step{SDLK_RSHIFT, false, true},
                             Step{SDLK_LSHIFT, false, false}, Step{SDLK_RSHIFT, false, true}}) {
        press(step.key);
        EXPECT_EQ(describe(view), describe({0, kHomeRotZ, step.rotate, step.orbit, 0}))
            << "after key " << step.key;
    }
}

TEST_F(ControlsTest, ArrowsAndWheelZoomAndOrbitAndEscapeGoesHome) {
    press(SDLK_LSHIFT);
    view.rotX = 12;
    view.selectedBox = 3;
    press(SDLK_UP);
    EXPECT_TRUE(eyeAt(40, kHomeOrbitAngle));
    EXPECT_NEAR(camera.eyeX, 30.000000000016, 1e-12) << "the first step leaves the exact home eyeX";
    press(SDLK_DOWN);
    press(SDLK_DOWN);
    EXPECT_TRUE(eyeAt(80, kHomeOrbitAngle));
    press(SDLK_RIGHT);
    EXPECT_TRUE(eyeAt(80, kHomeOrbitAngle + 0.5));
    press(SDLK_LEFT);
    press(SDLK_LEFT);
    EXPECT_TRUE(eyeAt(80, kHomeOrbitAngle - 0.5));
    camera.centerX = camera.centerY = camera.centerZ = camera.eyeZ = -1;
    press(SDLK_ESCAPE);
    EXPECT_TRUE(eyeAt(60, kHomeOrbitAngle));
    EXPECT_EQ(camera.eyeX, 30) << "home eyeX is exactly 30 again";
    EXPECT_EQ(describe(view), describe({0, 0, false, true, 3})) << "Escape keeps modes, selection";
    // The wheel steps by half the depth, halved as an integer.
    for (const auto& [dimY, step] : {std::pair{20, 10.0}, {7, 3.0}, {-7, -3.0}, {1, 0.0}}) {
        setHomeCamera(camera);
        scene.container.dimY = dimY;
        click(SDL_BUTTON_WHEELDOWN);  // the pump test turns it up
        EXPECT_TRUE(eyeAt(60 + step, kHomeOrbitAngle)) << "wheel down with depth " << dimY;
    }
}

// Rotate mode turns 4 degrees per event however far, both ways at once on a diagonal;
// orbit mode steps the eye 0.1 rad on x motion only; without a mode motion does nothing.
TEST_F(ControlsTest, MotionTurnsTheModelOrStepsTheEye) {
    move(5, 5);
    EXPECT_EQ(describe(view), describe({0, kHomeRotZ, false, false, 0}));
    press(SDLK_LCTRL);
    move(100, 0);
    move(0, -7);
    EXPECT_EQ(describe(view), describe({-4, kHomeRotZ + 4, true, false, 0}));
    move(-2, 3);
    EXPECT_EQ(describe(view), describe({0, kHomeRotZ, true, false, 0})) << "a diagonal";
    EXPECT_TRUE(eyeAt(60, kHomeOrbitAngle));
    press(SDLK_LSHIFT);
    move(1, 0);
    EXPECT_TRUE(eyeAt(60, kHomeOrbitAngle + 0.1));
    for (const auto& [x, y] : {std::pair{-1, 50}, {-30, 0}, {0, 9}}) move(x, y);
    EXPECT_TRUE(eyeAt(60, kHomeOrbitAngle - 0.1));
    EXPECT_EQ(describe(view), describe({0, kHomeRotZ, false, true, 0}));
}

// Releases and other keys and buttons do nothing and ask for no redraw; exposure and focus
// changes only redraw; a quit ends the loop, but the events after it in the same drain apply.
TEST_F(ControlsTest, PumpHandsOnEveryEventAndRedrawsOnlyWhenThePictureMayChange) {
    EXPECT_TRUE(drain({event(SDL_KEYUP, SDLK_LCTRL), event(SDL_KEYUP, SDLK_ESCAPE),
                       event(SDL_KEYDOWN, SDLK_a), event(SDL_KEYDOWN, SDLK_LALT),
                       event(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN),
                       event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), event(SDL_MOUSEMOTION, 1, 1)},
                      false));
    EXPECT_TRUE(eyeAt(60, kHomeOrbitAngle));
    EXPECT_EQ(describe(view), describe({0, kHomeRotZ, false, false, 0}));
    for (Uint8 type : {SDL_VIDEOEXPOSE, SDL_ACTIVEEVENT}) EXPECT_TRUE(drain({event(type)}, true));
    EXPECT_TRUE(drain({event(SDL_KEYDOWN, SDLK_LCTRL), event(SDL_MOUSEMOTION, 1, 0),
                       event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP)}, true));
    EXPECT_EQ(describe(view), describe({0, kHomeRotZ + 4, true, false, 0}));
    EXPECT_TRUE(eyeAt(50, kHomeOrbitAngle));
    EXPECT_TRUE(drain({event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT)}, true)) << "a click to pick";
    view.pickPending = false;  // as the frame loop's pick leaves it
    EXPECT_FALSE(drain({event(SDL_QUIT), event(SDL_KEYDOWN, SDLK_ESCAPE)}, true));
    EXPECT_EQ(describe(view), describe({0, 0, true, false, 0})) << "the Escape after the quit";
    EXPECT_TRUE(eyeAt(60, kHomeOrbitAngle));
    EXPECT_FALSE(drain({event(SDL_QUIT)}, false));
}

// Of 3 boxes: each key's step from every start, and the box it selects; Escape keeps both.
TEST_F(ControlsTest, StepKeysShowTheFirstBoxesAndSelectTheLastOfThem) {
    struct Step {
        SDLKey key;
        int32_t from[5];  // the step from 0, 1, 2, 3 shown, and from the whole load
    };
    for (const Step& step : {Step{SDLK_PAGEDOWN, {1, 2, 3, 3, 3}}, Step{SDLK_PAGEUP, {0, 0, 1, 2, 2}},
                             Step{SDLK_HOME, {0, 0, 0, 0, 0}}, Step{SDLK_END, {3, 3, 3, 3, 3}}}) {
        for (int32_t shown : {0, 1, 2, 3, kWholeLoad}) {
            scene.boxCount = 3;
            view.shownBoxes = shown;
            view.selectedBox = 2;
            press(step.key);
            const int32_t want = step.from[std::min(shown, 4)];
            EXPECT_EQ(view.shownBoxes, want) << "key " << step.key << " from " << shown;
            EXPECT_EQ(view.selectedBox, want) << "key " << step.key << " from " << shown;
            press(SDLK_ESCAPE);
            EXPECT_EQ(describe(view) + " " + std::to_string(view.shownBoxes),
                      describe({0, 0, false, false, want}) + " " + std::to_string(want)) << "Escape";
        }
    }
    EXPECT_EQ(stepShown(SDLK_a, 1, 3), -1) << "not a step key";
    EXPECT_EQ(stepShown(SDLK_PAGEDOWN, 0, 0), 0) << "an empty load";
}

} // namespace
