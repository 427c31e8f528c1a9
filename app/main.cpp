// The boxview program: the console dialogue, with a 3D window for every layout it loads.
#include "app/console.h"
#include "render/font.h"
#include "render/frame.h"
#include "viewer/window.h"

#include <SDL.h>

#include <cstdlib>
#include <iostream>

int main(int, char**) {
    keepFreedMemoryForFrames();
    prepareVideo();
    SDL_Init(SDL_INIT_VIDEO);
    FontCache fonts = loadFontCache();
    return runConsole(std::cin, std::cout, [&fonts](const Scene& scene) {
        runViewer(scene, fonts);
        SDL_Quit();
    });
}
