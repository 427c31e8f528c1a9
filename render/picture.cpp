// The window's picture of a layout made without a screen: a headless context, the frame, the read-back.
#include "render/picture.h"

#include "render/frame.h"

#include <cstdlib>
#include <cstring>

bool openPictureMaker(PictureMaker& maker, std::string& error) {
    maker.fonts = loadFontCache();
    if (!fontsUsable(maker.fonts)) {
        error = kFontFailureLine;
        return false;
    }
    keepFreedMemoryForFrames();
    setenv("GALLIVM_PERF", "nopt", 0);
    if (!openHeadlessGl(maker.gl, kWindowWidth, kWindowHeight, error)) {
        error = "pas de contexte GL pour l'image : " + error;
        return false;
    }
    Camera camera;
    ViewState view;
    setHomeView(camera, view, maker.palette);
    return true;
}

void homeView(Camera& camera, ViewState& view) {
    Palette unused;
    setHomeView(camera, view, unused);
}

ViewState stepView(int32_t step) {
    Camera camera;
    ViewState view;
    homeView(camera, view);
    view.shownBoxes = step;
    view.selectedBox = step;
    return view;
}

std::vector<uint8_t> drawPicture(const PictureMaker& maker, const Scene& scene,
                                 const ViewState& view, const Camera& camera,
                                 const ProblemMarks* problems) {
    drawFrame(maker.palette, scene, view, camera, maker.fonts, problems);
    glFinish();
    std::vector<uint8_t> bottomUp(static_cast<std::size_t>(kWindowWidth) * kWindowHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    const std::size_t rowBytes = static_cast<std::size_t>(kWindowWidth) * 3;
    for (int row = 0; row < kWindowHeight; ++row) {
        std::memcpy(topDown.data() + row * rowBytes,
                    bottomUp.data() + (kWindowHeight - 1 - row) * rowBytes, rowBytes);
    }
    return topDown;
}
