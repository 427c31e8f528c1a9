// Draws one complete picture of a layout: background, axes, grids, boxes, caption and legend.
#include "render/frame.h"

#include "render/axes.h"
#include "render/box.h"
#include "render/labels.h"
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

} // namespace

void keepFreedMemoryForFrames() {
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

void loadViewTransform(const Camera& camera, double rotX, double rotZ) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.eyeX, camera.eyeY, camera.eyeZ, camera.centerX, camera.centerY,
              camera.centerZ, 0, 0, 1);
    glRotated(rotZ, 0, 0, 1);
    glRotated(rotX, 1, 0, 0);
}

void drawFrame(const Palette& palette, const Scene& scene, int32_t selectedBox, double rotX,
               double rotZ, const Camera& camera, const FontCache& fonts) {
    glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPointSize(2.0f);
    loadViewTransform(camera, rotX, rotZ);
    setFrameState();

    FontLists captionFont = 0;
    buildFontLists(fonts, kCaptionPixelHeight, captionFont);
    drawAxes(scene, fonts);
    drawGrids(scene);

    const int32_t count = boxesInTable(scene.boxCount);
    for (int32_t n = 1; n <= count; ++n) {
        const Box& b = scene.boxes[n];
        drawBox(palette.colours[n - 1], float(b.posX), float(b.posY), float(b.posZ),
                float(b.dimX), float(b.dimY), float(b.dimZ), n == selectedBox);
    }
    for (int32_t n = 1; n <= count; ++n) {
        const Box& b = scene.boxes[n];
        drawBoxOutline(palette.colours[n - 1], float(b.posX), float(b.posY), float(b.posZ),
                       float(b.dimX), float(b.dimY), float(b.dimZ), n == selectedBox);
    }

    drawSelectionCaption(scene, selectedBox, captionFont);
    glDeleteLists(captionFont, kGlyphCount);
    drawLegend(scene.boxCount, palette, scene, fonts);
    glFlush();
}
