// libFuzzer target of the layout loader: any bytes give a clean refusal or a scene within its table.
#include "scene/scene.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool sameScene(const Scene& a, const Scene& b) { return std::memcmp(&a, &b, sizeof(Scene)) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes go to a file in memory, read by its name under /proc: nothing is left on disk,
    // even when the run ends on a crash.
    static const int fd = memfd_create("boxview-fuzz", 0);
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) return 0;

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
