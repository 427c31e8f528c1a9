// Tests of the keyboard and mouse controls and of the event pump that feeds them.
#include "viewer/controls.h"

#include "scene/scene.h"
#include "viewer/window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

SDL_Event key(Uint8 type, SDLKey sym) {
    SDL_Event event{};
    event.key.type = type;
    event.key.keysym.sym = sym;
    return event;
}
SDL_Event keyDown(SDLKey sym) {
    return key(SDL_KEYDOWN, sym);
}
SDL_Event keyUp(SDLKey sym) {
    return key(SDL_KEYUP, sym);
}

SDL_Event motion(int xrel, int yrel) {
    SDL_Event event{};
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.xrel = static_cast<Sint16>(xrel);
    event.motion.yrel = static_cast<Sint16>(yrel);
    return event;
}

SDL_Event button(Uint8 type, Uint8 which) {
    SDL_Event event{};
    event.button.type = type;
    event.button.button = which;
    return event;
}

SDL_Event ofType(Uint8 type) {
    SDL_Event event{};
    event.type = type;
    return event;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene.container = {25, 20, 8};
        setHomeCamera(camera);
        view.rotZ = kHomeRotZ;
    }

    void press(SDLKey key) { handleKeyDown(keyDown(key).key, scene, camera, view); }
    void move(int xrel, int yrel) { handleMouseMotion(motion(xrel, yrel).motion, camera, view); }
    void click(Uint8 which) {
        handleMouseButtonDown(button(SDL_MOUSEBUTTONDOWN, which).button, scene, camera, view);
    }

    // Feeds events through drainEvents with a poll function over the list.
    bool drain(const std::vector<SDL_Event>& events) {
        std::size_t next = 0;
        polls = 0;
        const bool open = drainEvents(
            [&](SDL_Event* event) {
                ++polls;
                if (next == events.size())
                    return 0;
                *event = events[next++];
                return 1;
            },
            scene, camera, view);
        EXPECT_EQ(next, events.size()) << "every pending event is taken";
        return open;
    }

    void expectCamera(double eyeX, double eyeY, double eyeZ, double distance, double angle) {
        EXPECT_NEAR(camera.eyeX, eyeX, 1e-9) << "eyeX";
        EXPECT_NEAR(camera.eyeY, eyeY, 1e-9) << "eyeY";
        EXPECT_EQ(camera.eyeZ, eyeZ) << "eyeZ";
        EXPECT_EQ(camera.orbitDistance, distance) << "orbitDistance";
        EXPECT_NEAR(camera.orbitAngle, angle, 1e-12) << "orbitAngle";
        EXPECT_EQ(camera.centerX, 30);
        EXPECT_EQ(camera.centerY, 0);
        EXPECT_EQ(camera.centerZ, 5);
    }

    Scene scene;
    Camera camera;
    ViewState view;
    int polls = 0;
};

TEST_F(ControlsTest, CtrlAndShiftLatchExclusiveModes) {
    struct Step {
        SDLKey key;
        bool rotate, orbit;
    };
    const Step steps[] = {
        {SDLK_LCTRL, true, false},   // neither -> rotate
        {SDLK_RCTRL, false, false},  // rotate -> neither
        {SDLK_LCTRL, true, false},   // neither -> rotate
        {SDLK_LSHIFT, false, true},  // rotate -> orbit
        {SDLK_RCTRL, true, false},   // orbit -> rotate
        {SDLK_RSHIFT, false, true},  // rotate -> orbit
        {SDLK_LSHIFT, false, false}, // orbit -> neither
        {SDLK_RSHIFT, false, true},  // neither -> orbit
    };
    for (std::size_t k = 0; k < std::size(steps); ++k) {
        press(steps[k].key);
        EXPECT_EQ(view.rotateMode, steps[k].rotate) << "rotateMode after step " << k;
        EXPECT_EQ(view.orbitMode, steps[k].orbit) << "orbitMode after step " << k;
    }
}

TEST_F(ControlsTest, ArrowsZoomAndOrbitAroundTheCentre) {
    press(SDLK_UP);
    expectCamera(30 + 40 * std::cos(kHomeOrbitAngle), 40, 10, 40, kHomeOrbitAngle);
    EXPECT_NE(camera.eyeX, 30) << "the first step leaves the exact home eyeX";
    EXPECT_NEAR(camera.eyeX, 30.000000000016, 1e-12);
    press(SDLK_DOWN);
    press(SDLK_DOWN);
    expectCamera(30 + 80 * std::cos(kHomeOrbitAngle), 80 * std::sin(kHomeOrbitAngle), 10, 80,
                 kHomeOrbitAngle);
    press(SDLK_RIGHT);
    const double right = kHomeOrbitAngle + 0.5;
    expectCamera(30 + 80 * std::cos(right), 80 * std::sin(right), 10, 80, right);
    press(SDLK_LEFT);
    press(SDLK_LEFT);
    const double left = kHomeOrbitAngle - 0.5;
    expectCamera(30 + 80 * std::cos(left), 80 * std::sin(left), 10, 80, left);
    camera.centerX = -3;
    camera.centerY = 7;
    press(SDLK_RIGHT);
    EXPECT_NEAR(camera.eyeX, -3 + 80 * std::cos(kHomeOrbitAngle), 1e-9) << "eye follows the centre";
    EXPECT_NEAR(camera.eyeY, 7 + 80 * std::sin(kHomeOrbitAngle), 1e-9) << "eye follows the centre";
}

TEST_F(ControlsTest, EscapeGoesHomeButKeepsModesAndSelection) {
    press(SDLK_LSHIFT);
    view.rotX = 12;
    view.rotZ = 40;
    view.selectedBox = 3;
    press(SDLK_RIGHT);
    press(SDLK_UP);
    camera.centerX = camera.centerY = camera.centerZ = camera.eyeZ = -1;
    press(SDLK_ESCAPE);
    EXPECT_EQ(view.rotX, 0);
    EXPECT_EQ(view.rotZ, 0);
    EXPECT_TRUE(view.orbitMode);
    EXPECT_FALSE(view.rotateMode);
    EXPECT_EQ(view.selectedBox, 3);
    EXPECT_EQ(camera.eyeX, 30) << "home eyeX is exactly 30 again";
    expectCamera(30, 60, 10, 60, kHomeOrbitAngle);
}

TEST_F(ControlsTest, OtherKeysAndButtonsChangeNothing) {
    const Camera before = camera;
    for (SDLKey key : {SDLK_a, SDLK_SPACE, SDLK_RETURN, SDLK_LALT, SDLK_PAGEUP})
        press(key);
    click(SDL_BUTTON_MIDDLE);
    click(SDL_BUTTON_RIGHT);
    expectCamera(before.eyeX, before.eyeY, before.eyeZ, before.orbitDistance, before.orbitAngle);
    EXPECT_FALSE(view.rotateMode);
    EXPECT_FALSE(view.orbitMode);
    EXPECT_EQ(view.rotZ, kHomeRotZ);
    EXPECT_EQ(view.rotX, 0);
    EXPECT_EQ(view.selectedBox, 0);
}

TEST_F(ControlsTest, WheelZoomsByHalfTheDepthTruncated) {
    struct Case {
        int32_t dimY;
        double step;
    };
    for (const Case& c : {Case{20, 10}, Case{7, 3}, Case{-7, -3}, Case{1, 0}}) {
        setHomeCamera(camera);
        scene.container.dimY = c.dimY;
        click(SDL_BUTTON_WHEELDOWN);
        EXPECT_EQ(camera.orbitDistance, 60 + c.step) << "wheel down with depth " << c.dimY;
        EXPECT_NEAR(camera.eyeY, (60 + c.step) * std::sin(kHomeOrbitAngle), 1e-9);
        click(SDL_BUTTON_WHEELUP);
        click(SDL_BUTTON_WHEELUP);
        EXPECT_EQ(camera.orbitDistance, 60 - c.step) << "wheel up twice with depth " << c.dimY;
    }
}

TEST_F(ControlsTest, MotionTurnsTheModelInRotateMode) {
    move(5, 0);
    EXPECT_EQ(view.rotZ, kHomeRotZ) << "no mode: motion does nothing";
    press(SDLK_LCTRL);
    move(3, 0);
    EXPECT_EQ(view.rotZ, kHomeRotZ + 4);
    move(-100, 0);
    EXPECT_EQ(view.rotZ, kHomeRotZ);
    move(0, 1);
    EXPECT_EQ(view.rotX, 4);
    move(0, -7);
    EXPECT_EQ(view.rotX, 0);
    move(2, -2);
    EXPECT_EQ(view.rotZ, kHomeRotZ + 4) << "diagonal turns both";
    EXPECT_EQ(view.rotX, -4) << "diagonal turns both";
    const Camera before = camera;
    move(0, 0);
    EXPECT_EQ(view.rotZ, kHomeRotZ + 4);
    EXPECT_EQ(view.rotX, -4);
    expectCamera(before.eyeX, before.eyeY, before.eyeZ, before.orbitDistance, before.orbitAngle);
}

TEST_F(ControlsTest, MotionStepsTheEyeInOrbitMode) {
    press(SDLK_LSHIFT);
    move(1, 0);
    double angle = kHomeOrbitAngle + 0.1;
    expectCamera(30 + 60 * std::cos(angle), 60 * std::sin(angle), 10, 60, angle);
    move(-1, 50);
    move(-1, 0);
    angle = kHomeOrbitAngle - 0.1;
    expectCamera(30 + 60 * std::cos(angle), 60 * std::sin(angle), 10, 60, angle);
    move(0, 9);
    move(0, 0);
    expectCamera(30 + 60 * std::cos(angle), 60 * std::sin(angle), 10, 60, angle);
    EXPECT_EQ(view.rotX, 0) << "orbit mode leaves the model turn alone";
    EXPECT_EQ(view.rotZ, kHomeRotZ);
}

TEST_F(ControlsTest, DrainHandlesEveryEventAndIgnoresReleasesAndFocus) {
    EXPECT_TRUE(drain({keyDown(SDLK_LCTRL), keyUp(SDLK_LCTRL), motion(1, 1),
                       button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELDOWN), ofType(SDL_ACTIVEEVENT),
                       keyUp(SDLK_ESCAPE), button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP)}));
    EXPECT_EQ(polls, 8) << "polls until the queue is empty";
    EXPECT_TRUE(view.rotateMode) << "a Ctrl release does not toggle back";
    EXPECT_EQ(view.rotZ, kHomeRotZ + 4) << "the Escape release did not go home";
    EXPECT_EQ(view.rotX, 4);
    EXPECT_EQ(camera.orbitDistance, 50) << "only the wheel press zoomed";
    EXPECT_TRUE(drain({}));
    EXPECT_EQ(polls, 1);
}

TEST_F(ControlsTest, QuitEndsTheLoopButLaterEventsStillApply) {
    view.rotX = 8;
    press(SDLK_UP);
    EXPECT_FALSE(drain({ofType(SDL_QUIT), keyDown(SDLK_ESCAPE)}));
    EXPECT_EQ(view.rotX, 0) << "the Escape after the quit was handled";
    EXPECT_EQ(camera.orbitDistance, 60);
    EXPECT_FALSE(drain({keyDown(SDLK_LSHIFT), ofType(SDL_QUIT)}));
    EXPECT_TRUE(view.orbitMode);
}

} // namespace
