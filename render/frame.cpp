// Draws one complete picture of a layout: background, axes, grids, boxes, caption and legend.
#include "render/frame.h"

#include "render/axes.h"
#include "render/box.h"
#include "render/labels.h"
#include "render/problems.h"
#include "scene/scene.h"

#include <GL/glu.h>

#include <malloc.h>

namespace {

void setFrameState() {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHT0);
}

template <typename Draw>
void pass(const Draw& draw) {
    glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT | GL_LIST_BIT);
    draw();
    glPopAttrib();
}

}  // namespace

void keepFreedMemoryForFrames() {
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

void drawFrame(const Palette& palette, const Scene& scene, const ViewState& view,
               const Camera& camera, const FontCache& fonts, const ProblemMarks* problems) {
    setProjection(clipPlanesFor(scene, camera, view));
    glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPointSize(2.0f);
    loadViewTransform(camera, view.rotX, view.rotZ);
    setFrameState();

    FontLists captionFont = 0;
    buildFontLists(fonts, kCaptionPixelHeight, captionFont);
    // Each pass runs inside its own attribute frame, so that the colour, line width
    // and list base one leaves behind cannot reach the next.
    pass([&] { drawAxes(scene, fonts); });
    pass([&] { drawGrids(scene); });

    const int32_t count = shownCount(scene, view);
    pass([&] {
        for (int32_t n = 1; n <= count; ++n) {
            const Box& b = scene.boxes[n];
            drawBox(palette.colours[n - 1], float(b.posX), float(b.posY), float(b.posZ),
                    float(b.dimX), float(b.dimY), float(b.dimZ), n == view.selectedBox);
        }
    });
    pass([&] {
        for (int32_t n = 1; n <= count; ++n) {
            const Box& b = scene.boxes[n];
            drawBoxOutline(palette.colours[n - 1], float(b.posX), float(b.posY), float(b.posZ),
                           float(b.dimX), float(b.dimY), float(b.dimZ), n == view.selectedBox);
        }
    });

    pass([&] { drawSelectionCaption(scene, view.selectedBox, captionFont); });
    glDeleteLists(captionFont, kGlyphCount);
    pass([&] { drawLegend(scene.boxCount, palette, scene, fonts); });
    pass([&] { drawStepLine(stepText(scene, view), fonts); });
    if (view.showProblems && problems != nullptr) drawProblems(*problems, scene, view, fonts);
    glFlush();
}
