// The viewer window: opening it, the projection, the palette, the event pump and the frame loop.
#include "viewer/window.h"

#include "viewer/controls.h"
#include "viewer/picking.h"

#include <GL/glu.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

// The 1.2 layer falls back to these drivers when there is no screen: the window
// would exist but nobody could see or close it.
bool isHeadlessDriver(const char* name) {
    return std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0;
}

bool openWindow() {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::cout << "fenetre impossible a ouvrir : " << SDL_GetError() << std::endl;
        return false;
    }
    char driver[64] = {};
    if (SDL_VideoDriverName(driver, sizeof driver) == nullptr || isHeadlessDriver(driver)) {
        std::cout << "fenetre impossible a ouvrir : aucun ecran disponible (pilote video "
                  << (driver[0] != '\0' ? driver : "inconnu") << ")" << std::endl;
        return false;
    }
    SDL_WM_SetCaption("Affichage des boites en 3D", "3d-icone.png");
    if (SDL_SetVideoMode(kWindowWidth, kWindowHeight, 32, SDL_OPENGL) == nullptr) {
        std::cout << "fenetre impossible a ouvrir : " << SDL_GetError() << std::endl;
        return false;
    }
    return true;
}

void presentFrame(const Palette& palette, const Scene& scene, const ViewState& view,
                  const Camera& camera, const FontCache& fonts) {
    drawFrame(palette, scene, view, camera, fonts);
    SDL_GL_SwapBuffers();
}

} // namespace

void prepareVideo() {
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
}

void runViewer(const Scene& scene, const FontCache& fonts) {
    if (!openWindow()) {
        SDL_Quit();
        return;
    }
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);

    presentFrame(palette, scene, view, camera, fonts);
    bool open = true;
    while (open) {
        open = handleEvents(scene, camera, view);
        runPendingPick(scene, camera, view);
        presentFrame(palette, scene, view, camera, fonts);
    }
    SDL_Quit();
}

bool drainEvents(const PollEvent& poll, const Scene& scene, Camera& camera, ViewState& view) {
    bool open = true;
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
        case SDL_QUIT:
            open = false;
            break;
        default:
            break;
        }
    }
    return open;
}

bool handleEvents(const Scene& scene, Camera& camera, ViewState& view) {
    return drainEvents(SDL_PollEvent, scene, camera, view);
}
