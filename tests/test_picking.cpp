// Tests of box picking: choosing among hit records, the GL selection pass, and the left click.
#include "viewer/picking.h"

#include "gl_context.h"
#include "scene/scene.h"
#include "viewer/controls.h"

#include <algorithm>

namespace {

using namespace gltest;

// Records of four words: name count, minimum depth, maximum depth, name.
TEST(ChooseHitTest, SmallestMinimumDepthWinsAsUnsigned) {
    const GLuint highBit[] = {1, 0xFFFFFFFFu, 0, 1, 1, 0x80000000u, 0, 2, 1, 0x7FFFFFFFu, 0, 3};
    EXPECT_EQ(chooseHit(highBit, 3), 3) << "depths compare as unsigned";
    // The outer of two nested boxes: its near face is nearer, its far face farther.
    const GLuint nested[] = {1, 500, 600, 1, 1, 10, 900, 2};
    EXPECT_EQ(chooseHit(nested, 2), 2) << "the minimum depth decides";
    const GLuint tie[] = {1, 0, 50, 4, 1, 0, 50, 7};
    EXPECT_EQ(chooseHit(tie, 2), 4) << "the earlier record wins a tie";
    EXPECT_EQ(chooseHit(tie, 0), 0) << "no hits";
    EXPECT_EQ(chooseHit(tie, -1), 0) << "an overflowed selection buffer";
}

// Looks down the y axis from y = 100 at the origin, which lands on the window centre.
class PickTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        camera.eyeY = 100;
    }

    // A 4 x 4 box around the line of sight, from y to y + depth.
    void place(int32_t n, int32_t y, int32_t depth = 4) {
        scene.boxes[n] = {4, depth, 4, -2, y, -2};
        scene.boxCount = std::max(scene.boxCount, n);
    }

    int32_t pickAt(double x, double y, double rotX = 0, double rotZ = 0) const {
        ViewState view;
        view.rotX = rotX;
        view.rotZ = rotZ;
        return pickBox(camera, scene, view, x, y);
    }
    int32_t pickCentre(double rotX = 0, double rotZ = 0) const { return pickAt(512, 384, rotX, rotZ); }

    Camera camera;
    Scene scene;
};

TEST_F(PickTest, FrontBoxWinsATieGoesToTheLowerNumberAndEmptySpaceGivesNothing) {
    place(1, 0);
    place(2, 20);
    EXPECT_EQ(pickCentre(), 2);
    place(1, 20);
    place(2, 0);
    EXPECT_EQ(pickCentre(), 1);
    place(2, 20);
    place(3, 20);
    EXPECT_EQ(pickCentre(), 1) << "boxes 1 to 3 share the front face";
    GLdouble before[16], after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    EXPECT_EQ(pickAt(10, 10), 0) << "window corner";
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    EXPECT_TRUE(std::equal(before, before + 16, after)) << "projection after picking";
    scene.boxCount = 0;
    EXPECT_EQ(pickCentre(), 0) << "boxes beyond boxCount are not drawn";
}

// A box along x comes onto the line of sight (y) with a quarter turn about z, also after one
// about x; a box along z, with a quarter turn about x, but not when z turns it on to x.
TEST_F(PickTest, ModelIsTurnedAboutXThenZ) {
    scene.boxCount = 1;
    scene.boxes[1] = {4, 4, 4, 10, -2, -2};
    EXPECT_EQ(pickCentre(0, 0), 0) << "box along x, unturned";
    EXPECT_EQ(pickCentre(90, 0), 0) << "box along x, turned about x";
    EXPECT_EQ(pickCentre(0, 90), 1) << "box along x, turned about z";
    EXPECT_EQ(pickCentre(90, 90), 1) << "box along x, turned about x then z";
    scene.boxes[1] = {4, 4, 4, -2, -2, 10};
    EXPECT_EQ(pickCentre(90, 0), 1) << "box along z, turned about x";
    EXPECT_EQ(pickCentre(90, 90), 0) << "box along z, turned about x then z";
}

// Box 1 inside box 2: the outer box's face is the one seen, though the inner box ends nearer
// on the far side.
TEST_F(PickTest, ClickOnTheOuterOfTwoNestedBoxesPicksTheOuterBox) {
    scene.boxCount = 2;
    scene.boxes[1] = {2, 2, 2, -1, 0, -1};
    scene.boxes[2] = {6, 6, 6, -3, -2, -3};
    EXPECT_EQ(pickCentre(), 2);
}

TEST_F(PickTest, DeepStackPicksTheFrontBoxWithEveryRecordKept) {
    for (bool frontLast : {true, false}) {
        scene = Scene{};
        for (int32_t n = 1; n <= kMaxBoxes; ++n) place(n, frontLast ? n : kMaxBoxes + 1 - n, 1);
        EXPECT_EQ(pickCentre(), frontLast ? kMaxBoxes : 1) << "60 boxes, front last " << frontLast;
        scene.boxCount = 20;
        EXPECT_EQ(pickCentre(), frontLast ? 20 : 1) << "20 boxes, front box last " << frontLast;
    }
}

// From this eye one unit in the plane y = 0 is one window pixel and z = 0.5 is GL row 384:
// box 1's top edge lies at GL row 767.5 and box 2's at row 1.5. A click at window row y
// picks at GL row 768 - y.
TEST_F(PickTest, ClickPicksAtTheWindowHeightMinusItsRow) {
    camera = Camera{};
    camera.eyeY = -384 / std::tan(35 * M_PI / 180);
    camera.eyeZ = camera.centerZ = 0.5;
    scene.boxCount = 2;
    scene.boxes[1] = {200, 0, 384, -100, 0, 0};  // flat, so no top face shows from above
    scene.boxes[2] = {200, 0, 18, -100, 0, -400};
    const auto click = [&](Uint16 y) {
        ViewState view;
        view.selectedBox = -1;
        handleMouseButtonDown({SDL_MOUSEBUTTONDOWN, 0, SDL_BUTTON_LEFT, SDL_PRESSED, 512, y}, scene,
                              camera, view);
        runPendingPick(scene, camera, view);
        return view.selectedBox;
    };
    EXPECT_EQ(click(0), 0) << "row 0 picks at GL row 768, above box 1";
    EXPECT_EQ(click(1), 1) << "row 1 picks at GL row 767";
    EXPECT_EQ(click(767), 2) << "row 767 picks at GL row 1";
    EXPECT_EQ(click(766), 0) << "row 766 picks at GL row 2, above box 2";
}

} // namespace
