// libFuzzer target of the layout loader: any bytes give a clean refusal or a scene within its table.
#include "scene/scene.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string scratchPath() { return "/tmp/boxview-fuzz-" + std::to_string(getpid()) + ".txt"; }

bool sameScene(const Scene& a, const Scene& b) { return std::memcmp(&a, &b, sizeof(Scene)) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = scratchPath();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    Scene scene;
    scene.boxCount = 3;
    scene.container = {1, 2, 3};
    const Scene before = scene;
    std::ostringstream out;
    const int result = loadScene(path, scene, out);
    const std::string message = out.str();
    if (result == 0) {
        if (!message.empty() || scene.boxCount > kMaxBoxes ||
            scene.container.dimX > kMaxContainerDim || scene.container.dimY > kMaxContainerDim ||
            scene.container.dimZ > kMaxContainerDim) {
            std::abort();
        }
    } else {
        // A refusal is one line naming the file, and the scene is untouched.
        if (result != -1 || !sameScene(before, scene) || message.rfind(path, 0) != 0 ||
            message.find('\n') != message.size() - 1) {
            std::abort();
        }
    }
    return 0;
}
