// The in-memory layout (a container and its boxes) and the reader of layout files.
#pragma once

#include <cstddef>
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

// What a maxLoad or maxWeight holds when the file gives none.
constexpr double kNoLimit = -1;

// The longest label a box may have, in bytes of UTF-8.
constexpr std::size_t kMaxLabelBytes = 64;

// What the boxes are, apart from where they stand. Each table is either empty (the file
// says nothing of it) or has one entry a box, entry n - 1 for box n.
struct Cargo {
    std::vector<double> weight;      // kilograms
    std::vector<double> maxLoad;     // kilograms the box may carry on its top, or kNoLimit
    std::vector<char> fragile;       // 1 for a fragile box
    std::vector<std::string> label;  // shown to the user; may be empty
    double maxWeight = kNoLimit;     // the container's limit, kilograms
};

// Box n (1..boxCount) lives in boxes[n]; slot 0 is never used.
struct Scene {
    int32_t boxCount = 0;
    Box boxes[kMaxBoxes + 1] = {};
    Container container = {};
    Cargo cargo;  // replaced whole by every load
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
    Cargo cargo = {};
};

// The scene's boxes, container and cargo as a layout, for the checker.
Layout layoutOf(const Scene& scene);

// Reads a layout file of at most maxBoxes boxes into layout; a count of 0 or
// less gives no boxes. A text file gives each box six numbers, or seven (the last its
// fragility, 0 or 1) when the numbers after the count are exactly seven times the count;
// a file whose first character after blanks is '{' is read as JSON. The container may
// take the whole 32-bit range here; loadScene keeps each side to kMaxContainerDim. Returns 0 on success and -1 on any failure, after
// writing one French line that names the file to out; on failure the layout is
// left exactly as it was. A UTF-8 byte-order mark at the start is skipped.
int readLayout(const std::string& fileName, int64_t maxBoxes, Layout& layout, std::ostream& out);

// Reads a layout file into scene, through the same reader as readLayout. Returns 0 on success and -1 on any failure,
// after writing one French line that names the file to out. On failure the
// scene is left exactly as it was.
int loadScene(std::string fileName, Scene& scene, std::ostream& out);
int loadScene(std::string fileName, Scene& scene);
