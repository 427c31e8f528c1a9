// Tests of box picking: choosing among hit records, the GL selection pass, and the left click's row.
#include "viewer/picking.h"

#include "gl_context.h"
#include "scene/scene.h"
#include "viewer/controls.h"

#include <cmath>
#include <vector>

namespace {

// Records of four words (name count, minimum depth, maximum depth, name): the smallest minimum depth wins,
// compared as unsigned; the earlier record wins a tie; no hits or an overflowed buffer give 0.
TEST(ChooseHitTest, SmallestMinimumDepthWinsAsUnsigned) {
    const GLuint records[] = {1, 0xFFFFFFFFu, 0,   1, 1, 0x80000000u, 0,   2,
                              1, 0x7FFFFFFFu, 0,   3, 1, 500,         600, 4,
                              1, 10,          900, 5, 1, 10,          20,  6};
    for (const auto& [hits, want] : {std::pair{3, 3}, {5, 5}, {6, 5}, {1, 1}, {0, 0}, {-1, 0}})
        EXPECT_EQ(chooseHit(records, hits), want) << "among the first " << hits << " records";
}
using PickTest = GlTest;

Scene sceneOf(const std::vector<Box>& boxes) {
    Scene scene;
    for (const Box& b : boxes) scene.boxes[++scene.boxCount] = b;
    return scene;
}

// Looking down the y axis from y = 100 at the origin, which lands on the window centre.
TEST_F(PickTest, PicksTheSeenFaceOfTheShownBoxesInTheTurnedModel) {
    const Box back{4, 4, 4, -2, 0, -2}, front{4, 4, 4, -2, 20, -2};
    const Box alongX{4, 4, 4, 10, -2, -2}, alongZ{4, 4, 4, -2, -2, 10};
    std::vector<Box> frontLast,
        frontFirst;  // deep stacks of boxes one unit deep: every record must be kept
    for (int32_t n = 1; n <= kMaxBoxes; ++n)
        frontLast.push_back({4, 1, 4, -2, n, -2}), frontFirst.push_back({4, 1, 4, -2, 61 - n, -2});
    struct Row {
        const char* what;
        std::vector<Box> boxes;
        int32_t want;
        double rotX = 0, rotZ = 0;  // then the boxes shown, and where the window is picked
        int32_t shown = kWholeLoad, x = 512, y = 384;
    };
    const Row rows[] = {
        {"front box last", {back, front}, 2},
        {"front box first", {front, back}, 1},
        {"a tie", {front, front, front}, 1},
        {"window corner", {front}, 0, 0, 0, kWholeLoad, 10, 10},
        {"no boxes", {}, 0},
        {"box 2 not shown", {back, front}, 1, 0, 0, 1},
        {"along x", {alongX}, 0},
        {"along x, turned about x", {alongX}, 0, 90},
        {"along x, turned about z", {alongX}, 1, 0, 90},
        {"along x, turned about x then z", {alongX}, 1, 90, 90},
        {"along z, turned about x", {alongZ}, 1, 90},
        {"along z, turned about x then z", {alongZ}, 0, 90, 90},
        {"box 1 inside box 2", {{2, 2, 2, -1, 0, -1}, {6, 6, 6, -3, -2, -3}}, 2},
        {"60 boxes, front box last", frontLast, 60},
        {"60 boxes, front box first", frontFirst, 1},
        {"20 boxes, front box last", {frontLast.begin(), frontLast.begin() + 20}, 20},
        {"20 boxes, front box first", {frontFirst.begin(), frontFirst.begin() + 20}, 1},
    };
    Camera camera;
    camera.eyeY = 100;
    setProjection();
    GLdouble before[16], after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    for (const Row& r : rows) {
        ViewState view;
        view.rotX = r.rotX, view.rotZ = r.rotZ, view.shownBoxes = r.shown;
        EXPECT_EQ(pickBox(camera, sceneOf(r.boxes), view, r.x, r.y), r.want) << r.what;
    }
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    EXPECT_TRUE(std::equal(before, before + 16, after)) << "the projection after picking";
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_TRUE(glGetError() == GL_NO_ERROR && mode == GL_MODELVIEW)
        << "picking left a GL error or matrix mode " << mode;
}

// From this eye a unit of the plane y = 0 is a pixel and z = 0.5 is GL row 384: box 1's top edge lies at GL row
// 767.5 and box 2's at row 1.5. A click at window row y picks at GL row 768 - y.
TEST_F(PickTest, ClickPicksAtTheWindowHeightMinusItsRow) {
    Camera camera;
    camera.eyeY = -384 / std::tan(35 * M_PI / 180);
    camera.eyeZ = camera.centerZ = 0.5;
    const Scene scene = sceneOf({{200, 0, 384, -100, 0, 0}, {200, 0, 18, -100, 0, -400}});
    for (const auto& [row, want] : {std::pair<Uint16, int32_t>{0, 0}, {1, 1}, {767, 2}, {766, 0}}) {
        ViewState view;
        view.selectedBox = -1;
        handleMouseButtonDown({SDL_MOUSEBUTTONDOWN, 0, SDL_BUTTON_LEFT, SDL_PRESSED, 512, row},
                              scene, camera, view);
        runPendingPick(scene, camera, view);
        EXPECT_EQ(view.selectedBox, want) << "click at window row " << row;
    }
}

}  // namespace
