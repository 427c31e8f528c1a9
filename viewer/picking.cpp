// Picks the box under the mouse pointer by drawing the boxes again in GL selection mode.
#include "viewer/picking.h"

#include "render/box.h"
#include "scene/scene.h"

#include <GL/glu.h>

namespace {

// Draws every shown box under its own number as GL name, with the frame's view transform.
void drawPickScene(const Camera& camera, const Scene& scene, const ViewState& view) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    loadViewTransform(camera, view.rotX, view.rotZ);
    glEnable(GL_DEPTH_TEST);
    const int32_t count = shownCount(scene, view);
    for (int32_t n = 1; n <= count; ++n) {
        const Box& b = scene.boxes[n];
        glLoadName(static_cast<GLuint>(n));
        drawBox(nullptr, float(b.posX), float(b.posY), float(b.posZ), float(b.dimX), float(b.dimY),
                float(b.dimZ), false);
    }
    glFlush();
}

}  // namespace

static_assert(kPickBufferSize >= 4 * kMaxBoxes, "the pick buffer holds one record per box");

int32_t chooseHit(const GLuint* buffer, GLint hits) {
    if (hits <= 0) return 0;
    GLuint bestName = buffer[3];
    GLuint bestDepth = buffer[1];
    for (GLint r = 1; r < hits; ++r) {
        const GLuint* record = buffer + 4 * r;
        if (record[1] < bestDepth) {
            bestDepth = record[1];
            bestName = record[3];
        }
    }
    return static_cast<int32_t>(bestName);
}

int32_t pickBox(const Camera& camera, const Scene& scene, const ViewState& view, double x,
                double y) {
    GLuint buffer[kPickBufferSize] = {};
    glSelectBuffer(kPickBufferSize, buffer);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(x, y, 0.01, 0.01, viewport);
    const ClipPlanes planes = clipPlanesFor(scene, camera, view);
    gluPerspective(kFieldOfView, kAspectRatio, planes.nearPlane, planes.farPlane);
    drawPickScene(camera, scene, view);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();

    const GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_MODELVIEW);
    return chooseHit(buffer, hits);
}

void runPendingPick(const Scene& scene, const Camera& camera, ViewState& view) {
    if (!view.pickPending) return;
    view.pickPending = false;
    view.selectedBox = pickBox(camera, scene, view, view.pickX, view.pickY);
}
