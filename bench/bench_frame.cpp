// Benchmarks of the viewer's frame, its font blocks, picking and loading, with ratios to a bare GL pass.
#include "bench/bare_frame.h"

#include "render/font.h"
#include "render/frame.h"
#include "render/headless.h"
#include "scene/scene.h"
#include "render/view.h"
#include "viewer/picking.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

// Everything one measured frame needs, made once for the whole run.
struct Bench {
    HeadlessGl gl;
    FontCache fonts;
    Camera camera;
    ViewState view;
    Palette palette;
    std::string sample;
    Scene scenes[3];
};

const char* const kLayoutNames[3] = {"60 boites", "1000x400x300", "10000x4000x3000"};

void frame(benchmark::State& state, Bench& b) {
    const Scene& scene = b.scenes[state.range(0)];
    for (auto _ : state) {
        drawFrame(b.palette, scene, b.view, b.camera, b.fonts);
        glFinish();
    }
    state.SetLabel(kLayoutNames[state.range(0)]);
}

void bareFrame(benchmark::State& state, Bench& b) {
    const Scene& scene = b.scenes[state.range(0)];
    for (auto _ : state) {
        loadViewTransform(b.camera, b.view.rotX, b.view.rotZ);
        drawBareFrame(b.palette, scene);
        glFlush();
        glFinish();
    }
    state.SetLabel(kLayoutNames[state.range(0)]);
}

// The frame and the bare pass in alternation, so that both see the same moment of a
// shared machine; the counters give their times and the ratio.
void frameOverBare(benchmark::State& state, Bench& b) {
    using Clock = std::chrono::steady_clock;
    const Scene& scene = b.scenes[state.range(0)];
    Clock::duration full{}, bare{};
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        drawFrame(b.palette, scene, b.view, b.camera, b.fonts);
        glFinish();
        const Clock::time_point middle = Clock::now();
        loadViewTransform(b.camera, b.view.rotX, b.view.rotZ);
        drawBareFrame(b.palette, scene);
        glFlush();
        glFinish();
        full += middle - start;
        bare += Clock::now() - middle;
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["frame_ms"] = std::chrono::duration<double, std::milli>(full).count() / frames;
    state.counters["bare_ms"] = std::chrono::duration<double, std::milli>(bare).count() / frames;
    state.counters["ratio"] =
        std::chrono::duration<double>(full).count() / std::chrono::duration<double>(bare).count();
    state.SetLabel(kLayoutNames[state.range(0)]);
}

void fontBlocks(benchmark::State& state, Bench& b) {
    for (auto _ : state) {
        for (int height : {kCaptionPixelHeight, kAxisPixelHeight, kLegendPixelHeight}) {
            FontLists base = 0;
            buildFontLists(b.fonts, height, base);
            glDeleteLists(base, kGlyphCount);
        }
        glFinish();
    }
}

void pick(benchmark::State& state, Bench& b) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(pickBox(b.camera, b.scenes[0], b.view, 512, 400));
    }
}

void load(benchmark::State& state, Bench& b) {
    std::ostringstream out;
    for (auto _ : state) {
        Scene scene;
        benchmark::DoNotOptimize(loadScene(b.sample, scene, out));
    }
}

// Prints the usual table, then each frame as a ratio to the figures measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions, the median stands for the benchmark; otherwise its one run.
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median ||
                (run.run_type == Run::RT_Iteration && !medians.count(run.run_name.str()))) {
                times[run.run_name.str()] = run.GetAdjustedRealTime();
            }
            if (median) medians.insert(run.run_name.str());
            auto ratio = run.counters.find("ratio");
            if (ratio != run.counters.end() && (median || !medians.count(run.run_name.str()))) {
                ratios[run.run_name.str()] = ratio->second;
            }
        }
    }
    void printRatios() const {
        auto time = [this](const std::string& name) {
            auto found = times.find(name);
            return found == times.end() ? 0.0 : found->second;
        };
        std::printf("\nRatios (meme execution)\n");
        for (int i = 0; i < 3; ++i) {
            const std::string name = "frameOverBare/" + std::to_string(i) + "/real_time";
            auto found = ratios.find(name);
            if (found != ratios.end()) {
                std::printf("  drawFrame / passe nue, %-16s : %.3f\n", kLayoutNames[i],
                            found->second);
            }
        }
        const double frame60 = time("frame/0/real_time");
        if (frame60 > 0) {
            std::printf("  trois blocs de police / drawFrame  : %.3f\n",
                        time("fontBlocks/real_time") / frame60);
            std::printf("  pickBox / drawFrame                : %.3f\n",
                        time("pick/real_time") / frame60);
        }
    }

private:
    std::map<std::string, double> times;
    std::map<std::string, double> ratios;
    std::set<std::string> medians;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Bench b;
    b.sample = BOXVIEW_SAMPLE;
    if (loadScene(b.sample, b.scenes[0]) != 0) return 1;
    b.scenes[1] = b.scenes[0];
    b.scenes[1].container = {1000, 400, 300};
    b.scenes[2] = b.scenes[0];
    b.scenes[2].container = {10000, 4000, 3000};
    keepFreedMemoryForFrames();
    std::string error;
    if (!openHeadlessGl(b.gl, kWindowWidth, kWindowHeight, error)) {
        std::cerr << error << std::endl;
        return 1;
    }
    b.fonts = loadFontCache();
    setProjection();
    setHomeView(b.camera, b.view, b.palette);

    benchmark::RegisterBenchmark("frame", frame, std::ref(b))
        ->DenseRange(0, 2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("bareFrame", bareFrame, std::ref(b))
        ->DenseRange(0, 2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("frameOverBare", frameOverBare, std::ref(b))
        ->DenseRange(0, 2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("fontBlocks", fontBlocks, std::ref(b))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("pick", pick, std::ref(b))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("load", load, std::ref(b))
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    return 0;
}
