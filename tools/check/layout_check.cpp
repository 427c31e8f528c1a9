// Measures a layout (volumes, overlaps, boxes outside the container) and writes the findings for boxview-check.
#include "tools/check/layout_check.h"

#include <algorithm>
#include <cstdint>
#include <iomanip>
#include <ostream>
#include <sstream>

#include <nlohmann/json.hpp>

namespace {

constexpr char kAxisNames[3] = {'x', 'y', 'z'};

// A half-open span [low, high) along one axis. 64 bits hold any coordinate
// of the form int32 + int32 and any difference of two such coordinates.
struct Span {
    int64_t low = 0;
    int64_t high = 0;
};

Span spanOf(int32_t corner, int32_t extent) {
    int64_t far = int64_t{corner} + int64_t{extent};
    return Span{std::min<int64_t>(corner, far), std::max<int64_t>(corner, far)};
}

struct Extent3 {
    Span axes[3];
};

Extent3 boxExtent(const Box& box) {
    return Extent3{{spanOf(box.posX, box.dimX), spanOf(box.posY, box.dimY),
                    spanOf(box.posZ, box.dimZ)}};
}

Extent3 containerExtent(const Container& container) {
    return Extent3{{spanOf(0, container.dimX), spanOf(0, container.dimY),
                    spanOf(0, container.dimZ)}};
}

// Volume of a box with three non-negative lengths, each at most 2^31.
Volume product(int64_t a, int64_t b, int64_t c) {
    return Volume(static_cast<uint64_t>(a)) * static_cast<uint64_t>(b) * static_cast<uint64_t>(c);
}

Volume volumeOf(const Extent3& extent) {
    return product(extent.axes[0].high - extent.axes[0].low,
                   extent.axes[1].high - extent.axes[1].low,
                   extent.axes[2].high - extent.axes[2].low);
}

// Volume shared by two extents; 0 when they only touch or are apart.
Volume intersection(const Extent3& a, const Extent3& b) {
    int64_t lengths[3];
    for (int axis = 0; axis < 3; ++axis) {
        int64_t low = std::max(a.axes[axis].low, b.axes[axis].low);
        int64_t high = std::min(a.axes[axis].high, b.axes[axis].high);
        if (high <= low) return 0;
        lengths[axis] = high - low;
    }
    return product(lengths[0], lengths[1], lengths[2]);
}

bool isDegenerate(const Box& box) {
    return box.dimX <= 0 || box.dimY <= 0 || box.dimZ <= 0;
}

std::string volumeText(Volume volume) {
    if (volume == 0) return "0";
    std::string digits;
    while (volume != 0) {
        digits.push_back(static_cast<char>('0' + static_cast<int>(volume % 10)));
        volume /= 10;
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

const char* sideName(Side side) {
    return side == Side::kMin ? "min" : "max";
}

// The JSON text of a string; bytes that are not UTF-8 become U+FFFD rather
// than making the dump fail, since a file name may hold any bytes.
std::string jsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

LayoutReport checkLayout(const Scene& scene) {
    LayoutReport report;
    report.container = scene.container;
    report.boxCount = boxesInTable(scene.boxCount);

    Extent3 container = containerExtent(scene.container);
    bool containerFlat = scene.container.dimX <= 0 || scene.container.dimY <= 0 ||
                         scene.container.dimZ <= 0;
    report.containerVolume = containerFlat ? 0 : volumeOf(container);

    Extent3 extents[kMaxBoxes + 1];
    for (int n = 1; n <= report.boxCount; ++n) {
        const Box& box = scene.boxes[n];
        extents[n] = boxExtent(box);
        if (isDegenerate(box)) {
            report.degenerate.push_back(n);
        } else {
            report.boxVolume += volumeOf(extents[n]);
        }
        for (int axis = 0; axis < 3; ++axis) {
            if (extents[n].axes[axis].low < container.axes[axis].low) {
                report.outside.push_back(Crossing{n, kAxisNames[axis], Side::kMin});
            }
            if (extents[n].axes[axis].high > container.axes[axis].high) {
                report.outside.push_back(Crossing{n, kAxisNames[axis], Side::kMax});
            }
        }
    }

    // A box with a zero dimension has an empty interior, so intersection()
    // gives 0 and it never shows up here.
    for (int a = 1; a <= report.boxCount; ++a) {
        for (int b = a + 1; b <= report.boxCount; ++b) {
            Volume shared = intersection(extents[a], extents[b]);
            if (shared != 0) report.overlaps.push_back(Overlap{a, b, shared});
        }
    }

    if (report.containerVolume != 0) {
        report.hasUtilisation = true;
        long double ratio = static_cast<long double>(report.boxVolume) /
                            static_cast<long double>(report.containerVolume);
        report.utilisation = static_cast<double>(ratio * 100.0L);
    }
    return report;
}

bool hasProblems(const LayoutReport& report) {
    return !report.overlaps.empty() || !report.outside.empty() || !report.degenerate.empty();
}

std::string formatText(const std::string& fileName, const LayoutReport& report) {
    std::ostringstream text;
    text << "fichier : " << fileName << '\n';
    text << "nombre de boites : " << report.boxCount << '\n';
    text << "volume du conteneur : " << volumeText(report.containerVolume) << '\n';
    text << "volume des boites : " << volumeText(report.boxVolume) << '\n';
    if (report.hasUtilisation) {
        text << "taux de remplissage : " << std::fixed << std::setprecision(2)
             << report.utilisation << " %\n";
    } else {
        text << "taux de remplissage : non calculable, le conteneur a un volume nul\n";
    }
    for (const Overlap& overlap : report.overlaps) {
        text << "chevauchement des boites " << overlap.first << " et " << overlap.second
             << " : volume " << volumeText(overlap.volume) << '\n';
    }
    for (const Crossing& crossing : report.outside) {
        text << "boite " << crossing.box << " hors du conteneur : axe " << crossing.axis
             << ", cote " << sideName(crossing.side) << '\n';
    }
    for (int box : report.degenerate) {
        text << "boite " << box << " degeneree (dimension nulle ou negative)\n";
    }
    if (!hasProblems(report)) text << "aucun probleme\n";
    return text.str();
}

// The object is written by hand, with nlohmann only escaping the file name
// and writing the utilisation: a volume may need up to 99 bits, which no
// nlohmann number holds, while JSON itself puts no limit on an integer's
// digits. Writing every volume as its exact decimal digits keeps one format
// for small and huge values, and the keys keep the documented order.
std::string formatJson(const std::string& fileName, const LayoutReport& report) {
    std::ostringstream json;
    json << "{\"file\":" << jsonString(fileName);
    json << ",\"container\":{\"dimX\":" << report.container.dimX
         << ",\"dimY\":" << report.container.dimY << ",\"dimZ\":" << report.container.dimZ
         << '}';
    json << ",\"boxCount\":" << report.boxCount;
    json << ",\"containerVolume\":" << volumeText(report.containerVolume);
    json << ",\"boxVolume\":" << volumeText(report.boxVolume);
    json << ",\"utilisation\":"
         << (report.hasUtilisation ? nlohmann::json(report.utilisation).dump() : "null");
    json << ",\"overlaps\":[";
    for (std::size_t i = 0; i < report.overlaps.size(); ++i) {
        const Overlap& overlap = report.overlaps[i];
        json << (i ? "," : "") << "{\"a\":" << overlap.first << ",\"b\":" << overlap.second
             << ",\"volume\":" << volumeText(overlap.volume) << '}';
    }
    json << "],\"outside\":[";
    for (std::size_t i = 0; i < report.outside.size(); ++i) {
        const Crossing& crossing = report.outside[i];
        json << (i ? "," : "") << "{\"box\":" << crossing.box << ",\"axis\":\""
             << crossing.axis << "\",\"side\":\"" << sideName(crossing.side) << "\"}";
    }
    json << "],\"degenerate\":[";
    for (std::size_t i = 0; i < report.degenerate.size(); ++i) {
        json << (i ? "," : "") << report.degenerate[i];
    }
    json << "]}";
    return json.str();
}

std::string usageText() {
    return "usage : boxview-check [--json] FICHIER...";
}

CheckOptions parseArguments(const std::vector<std::string>& args) {
    CheckOptions options;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--json") {
            options.json = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            options.error = "option inconnue : " + arg + " ; " + usageText();
            return options;
        } else {
            options.files.push_back(arg);
        }
    }
    if (options.files.empty()) options.error = "aucun fichier a verifier ; " + usageText();
    return options;
}

int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    int status = 0;
    for (const std::string& fileName : options.files) {
        Scene scene;
        if (loadScene(fileName, scene, options.json ? err : out) != 0) {
            status = 2;
            continue;
        }
        LayoutReport report = checkLayout(scene);
        if (options.json) {
            out << formatJson(fileName, report) << '\n';
        } else {
            out << formatText(fileName, report);
        }
        out.flush();
        if (hasProblems(report) && status == 0) status = 1;
    }
    return status;
}
