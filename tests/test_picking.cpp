// Tests of box picking: choosing among hit records, the GL selection pass, and the left click.
#include "viewer/picking.h"

#include "gl_context.h"
#include "scene/scene.h"
#include "viewer/controls.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace gltest;

TEST(ChooseHitTest, SmallestMaximumDepthWinsAsUnsigned) {
    const GLuint unsignedDepths[] = {1, 0, 0xFFFFFFFFu, 1, 1, 0, 5, 2};
    EXPECT_EQ(chooseHit(unsignedDepths, 2), 2) << "0xFFFFFFFF is the farthest depth, not -1";
    const GLuint highBit[] = {1, 0, 0x80000000u, 1, 1, 0, 0x7FFFFFFFu, 2};
    EXPECT_EQ(chooseHit(highBit, 2), 2);
    // Record 1 starts nearer but reaches farther: the maximum depth decides.
    const GLuint minimumIgnored[] = {1, 10, 900, 1, 1, 500, 600, 2, 1, 400, 700, 3};
    EXPECT_EQ(chooseHit(minimumIgnored, 3), 2);
    const GLuint tie[] = {1, 0, 50, 4, 1, 0, 50, 7, 1, 0, 60, 9};
    EXPECT_EQ(chooseHit(tie, 3), 4) << "the earlier record wins a tie";
    const GLuint one[] = {1, 3, 3, 12};
    EXPECT_EQ(chooseHit(one, 1), 12);
    EXPECT_EQ(chooseHit(one, 0), 0);
    EXPECT_EQ(chooseHit(one, -1), 0) << "an overflowed selection buffer picks nothing";
}

// Looks down the y axis from y = 100 at the origin, which lands on the window centre.
class PickTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        camera.eyeY = 100;
    }

    // A 4 x 4 box around the line of sight, from y to y + depth.
    void place(int32_t n, int32_t y, int32_t depth) {
        scene.boxes[n] = {4, depth, 4, -2, y, -2};
        scene.boxCount = std::max(scene.boxCount, n);
    }

    int32_t pickCentre() const { return pickBox(camera, scene, 0, 0, 512, 384); }

    Camera camera;
    Scene scene;
};

TEST_F(PickTest, FrontBoxWinsWhateverItsNumber) {
    place(1, 0, 4);
    place(2, 20, 4);
    EXPECT_EQ(pickCentre(), 2);
    place(1, 20, 4);
    place(2, 0, 4);
    EXPECT_EQ(pickCentre(), 1);
}

TEST_F(PickTest, BoxReachingLeastFarWinsOverTheOneStartingNearest) {
    place(1, 0, 40); // nearest face at y 40, but reaches back to y 0
    place(2, 10, 10);
    EXPECT_EQ(pickCentre(), 2) << "box 2 ends nearer the eye than box 1";
    place(1, 10, 10);
    place(2, 0, 40);
    EXPECT_EQ(pickCentre(), 1);
}

TEST_F(PickTest, TieGoesToTheLowerNumber) {
    place(1, -50, 2); // off to the side: not under the point
    scene.boxes[1].posX = 30;
    place(2, 5, 5);
    place(3, 5, 5);
    EXPECT_EQ(pickCentre(), 2);
}

TEST_F(PickTest, EmptySpaceAndEmptySceneGiveNothing) {
    place(1, 0, 4);
    EXPECT_EQ(pickBox(camera, scene, 0, 0, 10, 10), 0) << "window corner";
    EXPECT_EQ(pickBox(camera, scene, 0, 0, 512, 384 + 200), 0) << "above the box";
    scene.boxCount = 0;
    EXPECT_EQ(pickCentre(), 0) << "boxes beyond boxCount are not drawn";
}

TEST_F(PickTest, ModelTurnIsApplied) {
    place(1, 0, 4);
    scene.boxes[1].posX = 10; // x 10..14: right of the line of sight
    loadViewTransform(camera, 0, 0);
    const Point low = toWindow(12, 4, -1.5);
    loadViewTransform(camera, 0, 180);
    const Point turnedZ = toWindow(12, 0, 0);
    loadViewTransform(camera, 90, 0);
    const Point turnedX = toWindow(12, 2, -2); // the z = -2 face now faces the eye
    EXPECT_EQ(pickBox(camera, scene, 0, 0, low.x, low.y), 1) << "unturned face at " << low;
    EXPECT_EQ(pickBox(camera, scene, 0, 180, low.x, low.y), 0) << "half a turn about z moves it";
    EXPECT_EQ(pickBox(camera, scene, 0, 180, turnedZ.x, turnedZ.y), 1)
        << "turned face at " << turnedZ;
    EXPECT_EQ(pickBox(camera, scene, 90, 0, low.x, low.y), 0) << "a quarter turn about x lifts it";
    EXPECT_EQ(pickBox(camera, scene, 90, 0, turnedX.x, turnedX.y), 1)
        << "turned face at " << turnedX;
}

TEST_F(PickTest, DeepStackPicksTheFrontBoxWithEveryRecordKept) {
    for (bool frontLast : {true, false}) {
        scene = Scene{};
        for (int32_t n = 1; n <= kMaxBoxes; ++n)
            place(n, frontLast ? n : kMaxBoxes + 1 - n, 1);
        EXPECT_EQ(pickCentre(), frontLast ? kMaxBoxes : 1) << "front box last: " << frontLast;
        scene.boxCount = 20;
        EXPECT_EQ(pickCentre(), frontLast ? 20 : 1) << "20 boxes, front box last: " << frontLast;
    }
}

TEST_F(PickTest, LeavesModelviewModeAndProjectionAlone) {
    place(1, 0, 4);
    GLdouble before[16], after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    glMatrixMode(GL_PROJECTION);
    EXPECT_EQ(pickCentre(), 1);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW) << "matrix mode after picking";
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(before[k], after[k]) << "projection entry " << k;
    GLint renderMode = 0;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    EXPECT_EQ(renderMode, GL_RENDER);
}

// From this eye one unit in the plane y = 0 is one window pixel, and z = 0.5 is row 384:
// box 1's top edge lies at GL row 767.5 and box 2's at GL row 1.5.
class ClickTest : public PickTest {
protected:
    void SetUp() override {
        PickTest::SetUp();
        const double distance = 384 / std::tan(35 * M_PI / 180);
        camera = Camera{};
        camera.eyeY = -distance;
        camera.eyeZ = 0.5;
        camera.centerZ = 0.5;
        scene.boxCount = 2;
        // Flat boxes: a box with depth would show its top face from above.
        scene.boxes[1] = {200, 0, 384, -100, 0, 0};
        scene.boxes[2] = {200, 0, 18, -100, 0, -400};
    }

    int32_t click(Uint16 x, Uint16 y) {
        SDL_MouseButtonEvent event{};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button = SDL_BUTTON_LEFT;
        event.state = SDL_PRESSED;
        event.x = x;
        event.y = y;
        view.selectedBox = -1;
        handleMouseButtonDown(event, scene, camera, view);
        return view.selectedBox;
    }

    ViewState view;
};

TEST_F(ClickTest, GeometryPutsTheEdgesBetweenRows) {
    EXPECT_EQ(pickBox(camera, scene, 0, 0, 512, 767.4), 1);
    EXPECT_EQ(pickBox(camera, scene, 0, 0, 512, 767.6), 0);
    EXPECT_EQ(pickBox(camera, scene, 0, 0, 512, 1.4), 2);
    EXPECT_EQ(pickBox(camera, scene, 0, 0, 512, 1.6), 0);
}

TEST_F(ClickTest, WindowRowYPicksAtGlRowHeightMinusY) {
    EXPECT_EQ(click(512, 0), 0) << "row 0 picks at GL row 768, above box 1";
    EXPECT_EQ(click(512, 1), 1) << "row 1 picks at GL row 767";
    EXPECT_EQ(click(512, 767), 2) << "row 767 picks at GL row 1";
    EXPECT_EQ(click(512, 766), 0) << "row 766 picks at GL row 2, above box 2";
    EXPECT_EQ(click(300, 1), 0) << "left of box 1";
}

} // namespace
