// The viewer window: opening it, the projection, the palette, the event pump and the frame loop.
#include "viewer/window.h"

#include "render/problems.h"
#include "viewer/controls.h"
#include "viewer/picking.h"

#include <GL/glu.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <tuple>

namespace {

// The 1.2 layer falls back to these drivers when there is no screen: the window
// would exist but nobody could see or close it.
bool isHeadlessDriver(const char* name) {
    return std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0;
}

bool openWindow(std::ostream& out) {
    if (SDL_Init(kVideoInitFlags) < 0) {
        out << "fenetre impossible a ouvrir : " << SDL_GetError() << std::endl;
        return false;
    }
    char driver[64] = {};
    if (SDL_VideoDriverName(driver, sizeof driver) == nullptr || isHeadlessDriver(driver)) {
        out << "fenetre impossible a ouvrir : aucun ecran disponible (pilote video "
            << (driver[0] != '\0' ? driver : "inconnu") << ")" << std::endl;
        return false;
    }
    SDL_WM_SetCaption("Affichage des boites en 3D", "3d-icone.png");
    if (SDL_SetVideoMode(kWindowWidth, kWindowHeight, 32, SDL_OPENGL) == nullptr) {
        out << "fenetre impossible a ouvrir : " << SDL_GetError() << std::endl;
        return false;
    }
    return true;
}

void presentFrame(const Palette& palette, const Scene& scene, const ViewState& view,
                  const Camera& camera, const FontCache& fonts, const ProblemMarks& problems) {
    drawFrame(palette, scene, view, camera, fonts, &problems);
    SDL_GL_SwapBuffers();
}

// Every field a frame or a pick reads, so that two views compare equal exactly when they
// draw the same picture and have the same click waiting.
auto viewFields(const Camera& c, const ViewState& v) {
    return std::make_tuple(c.eyeX, c.eyeY, c.eyeZ, c.centerX, c.centerY, c.centerZ, c.orbitAngle,
                           c.orbitDistance, v.rotX, v.rotZ, v.rotateMode, v.orbitMode,
                           v.selectedBox, v.shownBoxes, v.pickPending, v.pickX, v.pickY, v.framed,
                           v.showProblems);
}

}  // namespace

void prepareVideo() {
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
}

void runViewer(const Scene& scene, const FontCache& fonts, std::ostream& out) {
    if (!openWindow(out)) {
        SDL_Quit();
        return;
    }
    if (!fontsUsable(fonts)) out << kFontFailureLine << std::endl;
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    // The checker judges the load once; key P only shows or hides what it found.
    const ProblemMarks problems = findProblemMarks(scene);

    presentFrame(palette, scene, view, camera, fonts, problems);
    for (PumpResult pump; pump.open;) {
        // Between events the window keeps its last picture and the process sleeps.
        pump = handleEvents(scene, camera, view, out);
        if (!pump.redraw) continue;
        runPendingPick(scene, camera, view);
        presentFrame(palette, scene, view, camera, fonts, problems);
    }
    SDL_Quit();
}

PumpResult drainEvents(const PollEvent& poll, const Scene& scene, Camera& camera, ViewState& view) {
    PumpResult result;
    const auto before = viewFields(camera, view);
    SDL_Event event;
    while (poll(&event)) {
        switch (event.type) {
            case SDL_KEYDOWN:
                handleKeyDown(event.key, scene, camera, view);
                break;
            case SDL_MOUSEMOTION:
                handleMouseMotion(event.motion, camera, view);
                break;
            case SDL_MOUSEBUTTONDOWN:
                handleMouseButtonDown(event.button, scene, camera, view);
                break;
            case SDL_VIDEOEXPOSE:
            case SDL_ACTIVEEVENT:
                // The window system may have dropped what the window showed.
                result.redraw = true;
                break;
            case SDL_QUIT:
                result.open = false;
                break;
            default:
                break;
        }
        // A click ends the batch: its pick sees the view as it was when the click came, and
        // the events after it wait in the queue for the next batch.
        if (view.pickPending) break;
    }
    result.redraw = result.redraw || view.pickPending || viewFields(camera, view) != before;
    return result;
}

PumpResult handleEvents(const Scene& scene, Camera& camera, ViewState& view, std::ostream& out) {
    SDL_Event first;
    if (SDL_WaitEvent(&first) == 0) {
        out << "fenetre : attente des evenements impossible : " << SDL_GetError() << std::endl;
        return PumpResult{false, false};
    }
    bool taken = false;
    const PollEvent poll = [&](SDL_Event* event) {
        if (taken) return SDL_PollEvent(event);
        taken = true;
        *event = first;
        return 1;
    };
    return drainEvents(poll, scene, camera, view);
}
