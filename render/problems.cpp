// The checker's findings drawn where they are: each box with a problem outlined in red, each overlap shaded.
#define GL_GLEXT_PROTOTYPES  // glWindowPos2i, core since GL 1.4
#include "render/problems.h"

#include "analysis/check.h"
#include "render/box.h"
#include "render/labels.h"
#include "render/view.h"
#include "scene/scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <set>

namespace {

constexpr GLubyte kRed[3] = {220, 0, 0};
constexpr GLubyte kShadeAlpha = 90;
constexpr GLfloat kHeavyWidth = 5.0f;

Span spanOf(const Box& b) {
    const double pos[3] = {double(b.posX), double(b.posY), double(b.posZ)};
    const double dim[3] = {double(b.dimX), double(b.dimY), double(b.dimZ)};
    Span span;
    for (int axis = 0; axis < 3; ++axis) {
        span.lo[axis] = std::min(pos[axis], pos[axis] + dim[axis]);
        span.hi[axis] = std::max(pos[axis], pos[axis] + dim[axis]);
    }
    return span;
}

// "1 boite", "2 boites": the plural from 2 on.
std::string counted(std::size_t count, const char* word) {
    return std::to_string(count) + " " + word + (count > 1 ? "s" : "");
}

// The twelve edges of the span, each along one axis between two of its four corner lines.
void drawEdges(const Span& s) {
    // clang-format off
    glBegin(GL_LINES);
        for (int axis = 0; axis < 3; ++axis) {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            for (int k = 0; k < 4; ++k) {
                double p[3];
                p[u] = (k & 1) ? s.hi[u] : s.lo[u];
                p[v] = (k & 2) ? s.hi[v] : s.lo[v];
                p[axis] = s.lo[axis];
                glVertex3dv(p);
                p[axis] = s.hi[axis];
                glVertex3dv(p);
            }
        }
    glEnd();
    // clang-format on
}

}  // namespace

ProblemMarks findProblemMarks(const Scene& scene) {
    CheckSettings settings;
    settings.order = false;
    const LayoutReport report = checkLayout(layoutOf(scene), settings);

    std::set<int> named(report.degenerate.begin(), report.degenerate.end());
    named.insert(report.floating.begin(), report.floating.end());
    named.insert(report.unstable.begin(), report.unstable.end());
    for (const Crossing& c : report.outside) named.insert(c.box);
    for (const SupportShortfall& s : report.support) named.insert(s.box);
    for (const OrderIssue& o : report.order) named.insert(o.box);
    for (const OrderIssue& o : report.fragility) named.insert(o.box);
    for (const Overload& o : report.weight.overloaded) named.insert(o.box);
    ProblemMarks marks;
    for (const Overlap& o : report.overlaps) {
        named.insert({o.first, o.second});
        const Span a = spanOf(scene.boxes[o.first]), b = spanOf(scene.boxes[o.second]);
        OverlapVolume volume{o.first, o.second, {}};
        for (int axis = 0; axis < 3; ++axis) {
            volume.span.lo[axis] = std::max(a.lo[axis], b.lo[axis]);
            volume.span.hi[axis] = std::min(a.hi[axis], b.hi[axis]);
        }
        marks.overlaps.push_back(volume);
    }
    for (int n : named) marks.boxes.push_back({n, spanOf(scene.boxes[n])});
    return marks;
}

std::string problemLine(const ProblemMarks& marks, int32_t shown) {
    const auto boxes = std::count_if(marks.boxes.begin(), marks.boxes.end(),
                                     [&](const ProblemBox& b) { return b.box <= shown; });
    const auto overlaps = std::count_if(marks.overlaps.begin(), marks.overlaps.end(),
                                        [&](const OverlapVolume& o) { return o.second <= shown; });
    if (boxes == 0) return "aucun probleme";
    return "problemes : " + counted(boxes, "boite") + ", " + counted(overlaps, "chevauchement");
}

void drawProblems(const ProblemMarks& marks, const Scene& scene, const ViewState& view,
                  const FontCache& fonts) {
    const int32_t shown = shownCount(scene, view);
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_LIST_BIT);
    // Seen through whatever stands in front; the shading smooths no edge of its own, whose
    // seams would streak the overlapping faces.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_POLYGON_SMOOTH);
    glDepthMask(GL_FALSE);
    for (const OverlapVolume& o : marks.overlaps) {
        if (o.second > shown) continue;
        const Span& s = o.span;
        glColor4ub(kRed[0], kRed[1], kRed[2], kShadeAlpha);
        drawBox(nullptr, float(s.lo[0]), float(s.lo[1]), float(s.lo[2]), float(s.hi[0] - s.lo[0]),
                float(s.hi[1] - s.lo[1]), float(s.hi[2] - s.lo[2]), false);
    }
    glColor3ubv(kRed);
    glLineWidth(kHeavyWidth);
    for (const ProblemBox& b : marks.boxes) {
        if (b.box <= shown) drawEdges(b.span);
    }
    // The step line's left margin, one line lower when the step line is there.
    FontLists font = 0;
    buildFontLists(fonts, kLegendPixelHeight, font);
    glWindowPos2i(10, kWindowHeight - (stepText(scene, view).empty() ? 22 : 40));
    drawText(font, problemLine(marks, shown));
    glDeleteLists(font, kGlyphCount);
    glPopAttrib();
}
