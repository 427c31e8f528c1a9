// The boxview program: the console dialogue, with a 3D window for every layout it loads.
#include "app/console.h"
#include "render/font.h"
#include "render/frame.h"
#include "viewer/window.h"

#include <SDL.h>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    const int status = readCommandLine(argc, argv, std::cout, std::cerr);
    if (status >= 0) return status;
    keepFreedMemoryForFrames();
    prepareVideo();
    SDL_Init(kVideoInitFlags);
    FontCache fonts = loadFontCache();
    return runConsole(std::cin, std::cout, [&fonts](const Scene& scene, std::ostream& out) {
        runViewer(scene, fonts, out);
        SDL_Quit();
    });
}
