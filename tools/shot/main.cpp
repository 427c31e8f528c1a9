// boxview-shot: renders the viewer's own frame of a layout into a PNG file, without a screen.
#include "tools/shot/snapshot.h"

#include <iostream>

int main(int argc, char** argv) {
    const Error error = runShot(std::vector<std::string>(argv + 1, argv + argc), std::cout);
    if (error.kind != ErrorKind::kNone) std::cerr << error.message << std::endl;
    return exitStatus(error);
}
