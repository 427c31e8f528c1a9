// The text-bearing passes of a frame: the caption of the selected box and the numbered colour legend.
#define GL_GLEXT_PROTOTYPES  // glWindowPos2i, core since GL 1.4
#include "render/labels.h"

#include "render/box.h"
#include "render/frame.h"
#include "render/view.h"
#include "scene/scene.h"

#include <iomanip>
#include <sstream>
#include <string>

namespace {

// Kilograms to the gram, without trailing zeros: "12.5", "400".
std::string kilograms(double kg) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(3) << kg;
    std::string shown = text.str();
    while (shown.back() == '0') shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
    return shown;
}

// An entry of a cargo table, when the file gives that table.
template <typename T>
const T* cargoEntry(const std::vector<T>& table, int32_t box) {
    return static_cast<std::size_t>(box) <= table.size() ? &table[box - 1] : nullptr;
}

}  // namespace

std::string captionText(const Scene& scene, int32_t selectedBox) {
    if (selectedBox < 1 || selectedBox > boxesInTable(scene.boxCount)) return {};
    const Box& b = scene.boxes[selectedBox];
    std::ostringstream text;
    text << "boite " << selectedBox << " selectionnee "
         << " --- position : " << b.posX << " " << b.posY << " " << b.posZ << "\n"
         << " --- dimensions " << b.dimX << " " << b.dimY << " " << b.dimZ;
    // What the file says the box is, when it says so.
    const Cargo& cargo = scene.cargo;
    const std::string* label = cargoEntry(cargo.label, selectedBox);
    if (label != nullptr && !label->empty()) text << "\n --- " << *label;
    const double* weight = cargoEntry(cargo.weight, selectedBox);
    if (weight != nullptr) text << "\n --- poids : " << kilograms(*weight) << " kg";
    const char* fragile = cargoEntry(cargo.fragile, selectedBox);
    if (fragile != nullptr && *fragile) text << "\n --- fragile";
    return text.str();
}

std::string stepText(const Scene& scene, const ViewState& view) {
    const int32_t total = boxesInTable(scene.boxCount);
    const int32_t shown = shownCount(scene, view);
    if (shown >= total) return {};
    return "etape " + std::to_string(shown) + " / " + std::to_string(total);
}

LegendEntry legendEntry(const Scene& scene, int32_t n) {
    // The anchor starts at the container's far x corner and steps back 2 per entry.
    const float ax = static_cast<float>(double(scene.container.dimX) - 2.0 * (n - 1));
    const float ay = static_cast<float>(int64_t{scene.container.dimY} + 6);
    return {ax, ay, -2.0f, static_cast<float>(double(ax) - 0.5), ay, -4.5f};
}

void drawSelectionCaption(const Scene& scene, int32_t selectedBox, FontLists captionFont) {
    const std::string text = captionText(scene, selectedBox);
    if (text.empty()) return;
    glColor3ub(0, 0, 0);
    glRasterPos3f(static_cast<float>(scene.container.dimX),
                  static_cast<float>(scene.container.dimY), -5.0f);
    drawText(captionFont, text);
}

void drawLegend(int32_t boxCount, const Palette& palette, const Scene& scene,
                const FontCache& fonts) {
    FontLists numbers = 0;
    buildFontLists(fonts, kLegendPixelHeight, numbers);
    const int32_t count = boxesInTable(boxCount);
    for (int32_t n = 1; n <= count; ++n) {
        const LegendEntry entry = legendEntry(scene, n);
        drawBox(palette.colours[n - 1], entry.swatchX, entry.swatchY, entry.swatchZ, kSwatchDx,
                kSwatchDy, kSwatchDz, false);
        glColor3ub(0, 0, 0);
        glRasterPos3f(entry.textX, entry.textY, entry.textZ);
        drawText(numbers, std::to_string(n) + "\n");
    }
    glDeleteLists(numbers, kGlyphCount);
}

void drawStepLine(const std::string& text, const FontCache& fonts) {
    if (text.empty()) return;
    // Left margin and baseline of the step line, in window pixels from the top-left corner.
    constexpr int kStepLeft = 10;
    constexpr int kStepBaseline = 22;
    FontLists font = 0;
    buildFontLists(fonts, kLegendPixelHeight, font);
    glColor3ub(0, 0, 0);
    glWindowPos2i(kStepLeft, kWindowHeight - kStepBaseline);
    drawText(font, text);
    glDeleteLists(font, kGlyphCount);
}
