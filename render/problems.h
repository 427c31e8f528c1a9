// The checker's findings drawn where they are: each box with a problem outlined in red, each overlap shaded.
#pragma once

#include "render/font.h"

#include <cstdint>
#include <string>
#include <vector>

struct Scene;
struct ViewState;

// The space a box takes, from its low to its high corner on x, y and z.
struct Span {
    double lo[3] = {};
    double hi[3] = {};
};

struct ProblemBox {
    int32_t box = 0;
    Span span;
};

struct OverlapVolume {
    int32_t first = 0;  // first < second
    int32_t second = 0;
    Span span;  // the space both boxes take
};

// What the overlay draws, judged once per load.
struct ProblemMarks {
    std::vector<ProblemBox> boxes;  // ascending; every box the checker names in any finding
    std::vector<OverlapVolume> overlaps;
};

// Checks the scene's boxes as a whole load (not in loading order, no support threshold).
ProblemMarks findProblemMarks(const Scene& scene);

// The count of what boxes 1..shown show: "problemes : 3 boites, 2 chevauchements", or
// "aucun probleme".
std::string problemLine(const ProblemMarks& marks, int32_t shown);

// Draws over the frame, seen through the boxes in front: the overlaps of the shown boxes
// shaded in red, the shown boxes with a problem outlined heavily in red, and their count at
// the top left, under the step line when there is one.
void drawProblems(const ProblemMarks& marks, const Scene& scene, const ViewState& view,
                  const FontCache& fonts);
