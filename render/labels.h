// The text-bearing passes of a frame: the caption of the selected box and the numbered colour legend.
#pragma once

#include "render/font.h"

#include <cstdint>
#include <string>

struct Scene;
struct Palette;
struct ViewState;

// "boite N selectionnee  --- position : x y z\n --- dimensions dx dy dz" for box
// selectedBox; empty when selectedBox is not a box of the scene.
std::string captionText(const Scene& scene, int32_t selectedBox);

// "etape k / n" while the view shows only the first k of the n boxes; empty otherwise.
std::string stepText(const Scene& scene, const ViewState& view);

// Where legend entry n (from 1) stands: the swatch's corner, and the number's anchor.
struct LegendEntry {
    float swatchX, swatchY, swatchZ;
    float textX, textY, textZ;
};
LegendEntry legendEntry(const Scene& scene, int32_t n);

// The legend's swatch size; its x extent is negative, so the swatch reaches back from its corner.
constexpr float kSwatchDx = -1.5f;
constexpr float kSwatchDy = 0.8f;
constexpr float kSwatchDz = 1.5f;

// Draws the caption in black below the container's far corner, when a box is selected.
void drawSelectionCaption(const Scene& scene, int32_t selectedBox, FontLists captionFont);

// One swatch and number per box, in a row beyond the container's far side.
void drawLegend(int32_t boxCount, const Palette& palette, const Scene& scene,
                const FontCache& fonts);

// Draws the step line in the legend's font and colour at the window's top-left corner.
void drawStepLine(const std::string& text, const FontCache& fonts);
