// What the loading plan says about a layout, in printed French: its totals, what each box rests on, and the checker's findings.
#include "tools/plan/findings.h"

#include "scene/scene.h"
#include "tools/check/layout_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const char kNoBreak[] = "\u00a0";

// Digits grouped by three with non-breaking spaces.
std::string grouped(std::string digits) {
    std::string out;
    const std::size_t first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    out = digits.substr(0, first);
    for (std::size_t i = first; i < digits.size(); i += 3) out += kNoBreak + digits.substr(i, 3);
    return out;
}

std::string volumeText(Volume volume) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(volume % 10)));
        volume /= 10;
    } while (volume != 0);
    return grouped(digits);
}

std::string integer(long long value) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    return (value < 0 ? "−" : "") + grouped(digits);
}

std::string dimensions(long long x, long long y, long long z) {
    return integer(x) + " × " + integer(y) + " × " + integer(z);
}

// "la boîte 3", "les boîtes 3 et 5", "les boîtes 2, 3 et 5".
std::string boxList(const std::vector<int>& boxes) {
    if (boxes.size() == 1) return "la boîte " + std::to_string(boxes[0]);
    std::string text = "les boîtes ";
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (i > 0) text += i + 1 == boxes.size() ? " et " : ", ";
        text += std::to_string(boxes[i]);
    }
    return text;
}

const char* sideName(Side side) { return side == Side::kMin ? "min" : "max"; }

} // namespace

std::string frenchNumber(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(value));
    std::string text = buffer;
    const std::size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    std::string result = (value < 0 && std::stod(text) != 0 ? "−" : "") + grouped(whole);
    if (dot != std::string::npos) result += "," + text.substr(dot + 1);
    return result;
}

PlanFindings findPlanFindings(const Scene& scene, int supportThreshold) {
    (void)supportThreshold;  // the support check is not in this checker yet
    const LayoutReport report = checkLayout(scene);
    PlanFindings findings;
    const Container& c = scene.container;
    findings.summary.push_back("Conteneur : " + dimensions(c.dimX, c.dimY, c.dimZ));
    findings.summary.push_back("Nombre de boîtes : " + std::to_string(report.boxCount));
    findings.summary.push_back("Volume occupé : " + volumeText(report.boxVolume) + " sur " +
                               volumeText(report.containerVolume));
    if (report.hasUtilisation) {
        findings.summary.push_back("Taux de remplissage : " +
                                   frenchNumber(report.utilisation, 1) + kNoBreak + "%");
    }
    findings.restsOn.assign(report.boxCount, std::string());
    findings.boxProblems.assign(report.boxCount, {});
    auto atBox = [&](int box, const std::string& line) {
        if (box >= 1 && box <= report.boxCount) findings.boxProblems[box - 1].push_back(line);
    };
    for (const Overlap& o : report.overlaps) {
        findings.problems.push_back("Chevauchement des boîtes " + std::to_string(o.first) + " et " +
                                    std::to_string(o.second) + " : volume " +
                                    volumeText(o.volume));
        atBox(o.second, "Chevauche la boîte " + std::to_string(o.first) + " (volume " +
                            volumeText(o.volume) + ")");
    }
    for (const Crossing& x : report.outside) {
        const std::string where =
            std::string("axe ") + x.axis + ", côté " + sideName(x.side);
        findings.problems.push_back("Boîte " + std::to_string(x.box) +
                                    " hors du conteneur : " + where);
        atBox(x.box, "Dépasse du conteneur : " + where);
    }
    for (int box : report.degenerate) {
        findings.problems.push_back("Boîte " + std::to_string(box) +
                                    " dégénérée (dimension nulle ou négative)");
        atBox(box, "Dégénérée (dimension nulle ou négative)");
    }
    (void)boxList;
    return findings;
}
