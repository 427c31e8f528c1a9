// The in-memory layout (a container and its boxes) and the reader of layout files.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

constexpr int kMaxBoxes = 60;

// Each grid draws one line per unit of the container, so a larger container
// would leave the window unable to draw a frame in reasonable time.
constexpr int32_t kMaxContainerDim = 100000;

struct Box {
    int32_t dimX = 0;
    int32_t dimY = 0;
    int32_t dimZ = 0;
    int32_t posX = 0;
    int32_t posY = 0;
    int32_t posZ = 0;
};

struct Container {
    int32_t dimX = 0;
    int32_t dimY = 0;
    int32_t dimZ = 0;
};

// Box n (1..boxCount) lives in boxes[n]; slot 0 is never used.
struct Scene {
    int32_t boxCount = 0;
    Box boxes[kMaxBoxes + 1] = {};
    Container container = {};
};

// How many slots of the table hold boxes: 0 for a count of 0 or less, never more than
// the table. Every loop over the boxes runs 1..boxesInTable.
inline int32_t boxesInTable(int32_t boxCount) {
    return boxCount < 0 ? 0 : boxCount > kMaxBoxes ? kMaxBoxes : boxCount;
}

// A layout of any size, as the checker reads it: box n is boxes[n - 1].
struct Layout {
    Container container;
    std::vector<Box> boxes;
};

// Reads a layout file of at most maxBoxes boxes into layout; a count of 0 or
// less gives no boxes. Returns 0 on success and -1 on any failure, after
// writing one French line that names the file to out; on failure the layout is
// left exactly as it was. A UTF-8 byte-order mark at the start is skipped.
int readLayout(const std::string& fileName, int64_t maxBoxes, Layout& layout, std::ostream& out);

// Reads a layout file into scene, through the same reader as readLayout. Returns 0 on success and -1 on any failure,
// after writing one French line that names the file to out. On failure the
// scene is left exactly as it was.
int loadScene(std::string fileName, Scene& scene, std::ostream& out);
int loadScene(std::string fileName, Scene& scene);
