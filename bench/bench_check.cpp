// Benchmarks of boxview-check on generated loads: reading a layout file alone against reading and checking it, from 100,000 to 1,000,000 boxes, and loads with weights in JSON.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>

#include "scene/scene.h"
#include "analysis/check.h"

namespace {

enum Load { kDenseStack = 0, kScatter = 1, kCrossedPlanks = 2, kSheets = 3, kPlates = 4 };

// Writes a layout of count boxes and returns its path. The dense stack is a
// brick wall of ten layers of 10 x 10 x 5 boxes, every other layer shifted by
// half a box, so that each box above the floor rests on two to four others.
// The scatter puts boxes of random sizes at random places in a large
// container. The last three defeat the grid's cells. The crossed planks are
// five pairs of layers, boards along x and a unit above them boards along y,
// which share the grid's cells without touching. The sheets stand in y and z,
// 1 x 1000 x 1000 and three units apart along x, with 999 unit cubes stacked
// a unit apart in a corner between each two, never touching. The plates are
// 40 floors of 100000 x 100000 at separate heights, with sticks of
// 1000 x 1 x 1 along x on three levels between each two, never touching.
std::string generate(Load load, int count) {
    const std::string path = "/tmp/boxview-bench-check-" + std::to_string(getpid()) + "-v3-" +
                             std::to_string(load) + "-" + std::to_string(count) + ".txt";
    if (std::ifstream(path).good()) return path;
    std::ofstream out(path);
    std::mt19937 random(12345);
    if (load == kDenseStack) {
        const int layers = 10;
        int side = 1;
        while (side * side * layers < count) ++side;
        const int perLayer = side * side;
        out << side * 10 + 5 << ' ' << side * 10 + 5 << ' ' << layers * 5 << '\n' << count << '\n';
        for (int n = 0; n < count; ++n) {
            int layer = n / perLayer, i = n % perLayer;
            int shift = layer % 2 ? 5 : 0;
            out << "10 10 5 " << i % side * 10 + shift << ' ' << i / side * 10 + shift << ' '
                << layer * 5 << '\n';
        }
    } else if (load == kCrossedPlanks) {
        const int length = count / 10;
        out << length << ' ' << length << " 20\n" << count << '\n';
        for (int layer = 0; layer < 5; ++layer) {
            for (int i = 0; i < length; ++i)
                out << length << " 1 1 0 " << i << ' ' << 4 * layer << '\n';
            for (int i = 0; i < length; ++i)
                out << "1 " << length << " 1 " << i << " 0 " << 4 * layer + 2 << '\n';
        }
    } else if (load == kSheets) {
        const int sheets = count / 1000;
        out << 4 * sheets << " 1000 1000\n" << count << '\n';
        for (int n = 0; n < count; ++n) {
            const int gap = n / 1000, cube = n % 1000 - 1;
            if (cube < 0)
                out << "1 1000 1000 " << 4 * gap << " 0 0\n";
            else
                out << "1 1 1 " << 4 * gap + 2 << ' ' << cube % 32 * 2 << ' ' << cube / 32 * 2
                    << '\n';
        }
    } else if (load == kPlates) {
        out << "100000 100000 320\n" << count << '\n';
        for (int n = 0; n < count; ++n) {
            // Stick n at a place of a 100 x 50000 lattice on its level that no other takes.
            const int plate = n % 40, level = n / 40 % 3;
            const int place = int((uint64_t(n / 120) * 1000003) % 5000000);
            if (n < 40)
                out << "100000 100000 1 0 0 " << 8 * plate << '\n';
            else
                out << "1000 1 1 " << place % 100 * 1000 << ' ' << place / 100 * 2 << ' '
                    << 8 * plate + 2 + 2 * level << '\n';
        }
    } else {
        std::uniform_int_distribution<int> size(1, 50), place(0, 99950);
        out << "100000 100000 100000\n" << count << '\n';
        for (int n = 0; n < count; ++n) {
            out << size(random) << ' ' << size(random) << ' ' << size(random) << ' '
                << place(random) << ' ' << place(random) << ' ' << place(random) / 100 * 100
                << '\n';
        }
    }
    return path;
}

// Reads the file at path once an iteration.
void readEachTime(benchmark::State& state, const std::string& path) {
    std::ostringstream messages;
    for (auto _ : state) {
        Layout layout;
        if (readLayout(path, kMaxCheckedBoxes, layout, messages) != 0)
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(layout.boxes.data());
    }
}

void readOnly(benchmark::State& state) {
    readEachTime(state, generate(Load(state.range(0)), static_cast<int>(state.range(1))));
}

void readAndCheck(benchmark::State& state) {
    const std::string path = generate(Load(state.range(0)), static_cast<int>(state.range(1)));
    std::ostringstream messages;
    CheckSettings settings;
    settings.supportThreshold = 75;
    settings.order = true;
    for (auto _ : state) {
        Layout layout;
        if (readLayout(path, kMaxCheckedBoxes, layout, messages) != 0)
            state.SkipWithError("refused");
        LayoutReport report = checkLayout(layout, settings);
        benchmark::DoNotOptimize(report.supports.data());
    }
}

void loads(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"load", "boxes"})->Unit(benchmark::kMillisecond);
    for (int load : {kDenseStack, kScatter, kCrossedPlanks, kSheets, kPlates}) {
        for (int count : {100000, 1000000}) bench->Args({load, count});
    }
}

BENCHMARK(readOnly)->Apply(loads);
BENCHMARK(readAndCheck)->Apply(loads);

// Loads that say what their boxes are: the dense stack with a weight, a maxLoad and a
// fragility a box, written as JSON, and the same boxes as text (six numbers, no weights).
std::string generateCargo(bool json, int count) {
    const std::string path = "/tmp/boxview-bench-check-" + std::to_string(getpid()) + "-cargo-" +
                             std::to_string(count) + (json ? ".json" : ".txt");
    if (std::ifstream(path).good()) return path;
    std::ifstream stack(generate(kDenseStack, count));
    std::ofstream out(path);
    int dims[3], n = 0;
    stack >> dims[0] >> dims[1] >> dims[2] >> n;
    if (!json) out << dims[0] << ' ' << dims[1] << ' ' << dims[2] << '\n' << n << '\n';
    if (json) {
        out << "{\"container\": {\"dimX\": " << dims[0] << ", \"dimY\": " << dims[1]
            << ", \"dimZ\": " << dims[2] << ", \"maxWeight\": 30000000}, \"boxes\": [\n";
    }
    for (int i = 0; i < n; ++i) {
        int b[6];
        for (int& v : b) stack >> v;
        if (!json) {
            out << b[0] << ' ' << b[1] << ' ' << b[2] << ' ' << b[3] << ' ' << b[4] << ' ' << b[5]
                << '\n';
            continue;
        }
        out << (i ? ",\n" : "") << "{\"dimX\": " << b[0] << ", \"dimY\": " << b[1]
            << ", \"dimZ\": " << b[2] << ", \"posX\": " << b[3] << ", \"posY\": " << b[4]
            << ", \"posZ\": " << b[5] << ", \"weight\": " << 5 + i % 40 * 0.5
            << ", \"maxLoad\": " << 100 + i % 7 * 50
            << ", \"fragile\": " << (i % 9 == 0 ? "true" : "false") << '}';
    }
    if (json) out << "\n]}\n";
    return path;
}

// The same boxes read from the text form (0) and from the JSON form with their weights (1).
void readCargo(benchmark::State& state) {
    readEachTime(state, generateCargo(state.range(0) == 1, static_cast<int>(state.range(1))));
}

// The check alone of the weighed dense stack, without (0) and with (1) its weights, maxLoads
// and fragility: what judging them adds.
void checkCargo(benchmark::State& state) {
    Layout layout;
    std::ostringstream messages;
    if (readLayout(generateCargo(true, static_cast<int>(state.range(1))), kMaxCheckedBoxes, layout,
                   messages) != 0)
        state.SkipWithError("refused");
    if (state.range(0) == 0) layout.cargo = {};
    CheckSettings settings;
    settings.cogLimit = 10;
    for (auto _ : state) {
        LayoutReport report = checkLayout(layout, settings);
        benchmark::DoNotOptimize(report.supports.data());
    }
}

void cargoLoads(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"json", "boxes"})->Unit(benchmark::kMillisecond);
    for (int count : {100000, 1000000}) {
        for (int weighed : {0, 1}) bench->Args({weighed, count});
    }
}

BENCHMARK(readCargo)->Apply(cargoLoads);
BENCHMARK(checkCargo)->Apply(cargoLoads);

}  // namespace

// The allocator keeps the memory that an iteration frees for the next one, as
// a long-running caller's would, instead of handing it back to the kernel: on
// a virtual machine the first touch of each page can cost tens of
// microseconds, which would otherwise be measured in place of the check.
int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The generated layouts are this run's alone (about 100 MB): none is left behind.
    const std::string prefix = "boxview-bench-check-" + std::to_string(getpid()) + "-";
    for (const auto& entry : std::filesystem::directory_iterator("/tmp")) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::remove(entry.path());
    }
    return 0;
}
