// The boxview program: the console dialogue, with a 3D window for every layout it loads.
#include "app/console.h"
#include "render/font.h"
#include "render/frame.h"
#include "viewer/window.h"

#include <SDL.h>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    const ConsoleStart start = readConsoleArguments(argc, argv, std::cout, std::cerr);
    if (start != ConsoleStart::kDialogue) return start == ConsoleStart::kHelpShown ? 0 : 2;
    keepFreedMemoryForFrames();
    prepareVideo();
    SDL_Init(kVideoInitFlags);
    FontCache fonts = loadFontCache();
    runConsole(std::cin, std::cout, [&fonts](const Scene& scene, std::ostream& out) {
        runViewer(scene, fonts, out);
        SDL_Quit();
    });
    return 0;
}
