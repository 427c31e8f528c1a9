// What the loading plan says about a layout, in printed French: its totals, what each box rests on, and the checker's findings.
#include "tools/plan/findings.h"

#include "analysis/check.h"
#include "scene/scene.h"
#include "tools/common/wording.h"

#include <algorithm>
#include <cmath>

namespace {

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

// What a box rests on at its own step: the floor and the boxes loaded before it.
std::string restText(const LayoutReport& report, int n) {
    const BoxSupport& s = report.supports[n - 1];
    std::vector<int> earlier = restsOnOf(report, n);
    earlier.resize(s.restCount - s.laterCount);
    const std::vector<int> later = restsOnOf(report, n, true);
    std::string text;
    if (s.onFloor && earlier.empty()) {
        text = "posée sur le sol";
    } else if (s.onFloor) {
        text = "posée sur le sol et sur " + boxList(earlier);
    } else if (!earlier.empty()) {
        text = "posée sur " + boxList(earlier);
    } else if (later.empty()) {
        return "Appui : posée sur rien";
    } else {
        return "Appui : posée sur rien à son étape, sur " + boxList(later) + " une fois chargée" +
               (later.size() > 1 ? "s" : "");
    }
    if (!s.onFloor || s.percent < 100 || !later.empty()) {
        text += ", soutenue à " + percentText(s.percent, ',') + kNoBreak + "%";
        if (!later.empty()) {
            text += " une fois " + boxList(later) + " chargée" + (later.size() > 1 ? "s" : "");
        }
    }
    return "Appui : " + text;
}

// Kilograms to the gram, without trailing zeros: "18 450 kg", "12,5 kg".
std::string kilograms(double kg) {
    const double grams = std::round(kg * 1000);
    int decimals = 3;
    while (decimals > 0 && std::fmod(grams, std::pow(10.0, 4 - decimals)) == 0) --decimals;
    return frenchNumber(kg, decimals) + kNoBreak + "kg";
}

std::string signedPercent(double percent) {
    const double shown = std::round(percent * 10) / 10;
    return (shown < 0 ? "" : "+") + frenchNumber(shown == 0 ? 0.0 : shown, 1) + kNoBreak + "%";
}

// The first page's lines on the weights: the total, its maximum and the centre of gravity.
void weightSummary(const WeightReport& w, std::vector<std::string>& summary) {
    summary.push_back("Poids total : " + kilograms(w.total) +
                      (w.maxWeight != kNoLimit ? " (maximum " + kilograms(w.maxWeight) + ")" : ""));
    if (!w.hasCentre) {
        summary.push_back("Centre de gravité : non calculable");
        return;
    }
    summary.push_back("Centre de gravité : x " + frenchNumber(w.centre[0], 1) + ", y " +
                      frenchNumber(w.centre[1], 1) + ", z " + frenchNumber(w.centre[2], 1));
    summary.push_back("Écart du centre : " + signedPercent(w.offset[0]) + " en x, " +
                      signedPercent(w.offset[1]) + " en y");
}

// What the file says box n is, as its step page gives it.
std::vector<std::string> cargoLines(const Cargo& cargo, const WeightReport& w, int n) {
    std::vector<std::string> lines;
    const std::size_t i = static_cast<std::size_t>(n - 1);
    if (i < cargo.label.size() && !cargo.label[i].empty()) {
        lines.push_back("Étiquette : " + cargo.label[i]);
    }
    std::string what;
    if (i < cargo.weight.size()) what = "Poids : " + kilograms(cargo.weight[i]);
    if (i < cargo.fragile.size()) {
        what += what.empty() ? (cargo.fragile[i] ? "Fragile" : "Non fragile")
                             : (cargo.fragile[i] ? ", fragile" : ", non fragile");
    }
    if (!what.empty()) lines.push_back(what);
    const bool limited = i < cargo.maxLoad.size() && cargo.maxLoad[i] != kNoLimit;
    const std::string limit = limited ? kilograms(cargo.maxLoad[i]) : "";
    if (i < w.loads.size()) {
        lines.push_back("Charge portée, tout chargé : " + kilograms(w.loads[i]) +
                        (limited ? " (maximum " + limit + ")" : ""));
    } else if (limited) {
        lines.push_back("Charge admise : " + limit);
    }
    return lines;
}

}  // namespace

PlanFindings findPlanFindings(const Scene& scene, int supportThreshold) {
    const int count = boxesInTable(scene.boxCount);
    CheckSettings settings;
    settings.supportThreshold = supportThreshold;
    settings.order = true;  // each box judged as it stands at its own step
    const LayoutReport report = checkLayout(layoutOf(scene), settings);

    PlanFindings findings;
    const Container& c = scene.container;
    findings.summary.push_back("Conteneur : " + frenchDimensions(c.dimX, c.dimY, c.dimZ));
    findings.summary.push_back("Nombre de boîtes : " + std::to_string(report.boxCount));
    findings.summary.push_back("Volume occupé : " + volumeText(report.boxVolume, kNoBreak) +
                               " sur " + volumeText(report.containerVolume, kNoBreak));
    if (report.hasUtilisation) {
        findings.summary.push_back("Taux de remplissage : " + frenchNumber(report.utilisation, 1) +
                                   kNoBreak + "%");
    }
    const WeightReport& w = report.weight;
    if (w.weighed) weightSummary(w, findings.summary);
    findings.restsOn.assign(count, std::string());
    findings.boxProblems.assign(count, {});
    auto atBox = [&](int box, const std::string& line) {
        if (box >= 1 && box <= count) findings.boxProblems[box - 1].push_back(line);
    };
    auto problem = [&](const std::string& line) { findings.problems.push_back(line); };
    const std::string threshold = frenchNumber(supportThreshold, 0) + kNoBreak + "%";

    if (report.containerDegenerate) problem("Conteneur dégénéré (dimension nulle ou négative)");
    for (int box : report.floating) {
        problem("Boîte " + std::to_string(box) + " flottante à son étape");
        atBox(box, "Flotte : ni le sol ni une boîte déjà chargée ne la soutient");
    }
    for (int box : report.unstable) {
        problem("Boîte " + std::to_string(box) + " instable à son étape");
        atBox(box, "Instable : le centre de sa base n'est pas soutenu");
    }
    for (const OrderIssue& o : report.order) {
        problem("Boîte " + std::to_string(o.box) + " posée sur la boîte " +
                std::to_string(o.restsOn) + ", chargée plus tard");
        atBox(o.box, "Posée sur la boîte " + std::to_string(o.restsOn) + ", chargée plus tard");
    }
    for (const Overload& o : w.overloaded) {
        const std::string text = kilograms(o.load) + " pour " + kilograms(o.maxLoad) + " admis";
        problem("Boîte " + std::to_string(o.box) + " surchargée : " + text);
        atBox(o.box, "Surchargée une fois tout chargé : " + text);
    }
    for (const OrderIssue& f : report.fragility) {
        const std::string text = "osée sur la boîte " + std::to_string(f.restsOn) + ", fragile";
        problem("Boîte " + std::to_string(f.box) + " p" + text);
        atBox(f.box, "P" + text);
    }
    if (w.overweight) {
        problem("Poids total : " + kilograms(w.total) + " pour " + kilograms(w.maxWeight) +
                " admis");
    }
    for (const SupportShortfall& s : report.support) {
        const std::string share = percentText(s.percent, ',') + kNoBreak + "%";
        problem("Boîte " + std::to_string(s.box) + " soutenue à " + share + ", moins de " +
                threshold);
        atBox(s.box, "Soutenue à " + share + " seulement, moins des " + threshold + " demandés");
    }
    for (const Overlap& o : report.overlaps) {
        problem("Chevauchement des boîtes " + std::to_string(o.first) + " et " +
                std::to_string(o.second) + " : volume " + volumeText(o.volume, kNoBreak));
        atBox(o.second, "Chevauche la boîte " + std::to_string(o.first) + " (volume " +
                            volumeText(o.volume, kNoBreak) + ")");
    }
    for (const Crossing& x : report.outside) {
        const std::string where = std::string("axe ") + x.axis + ", côté " + sideName(x.side);
        problem("Boîte " + std::to_string(x.box) + " hors du conteneur : " + where);
        atBox(x.box, "Dépasse du conteneur : " + where);
    }
    for (int box : report.degenerate) {
        problem("Boîte " + std::to_string(box) + " dégénérée (dimension nulle ou négative)");
        atBox(box, "Dégénérée (dimension nulle ou négative)");
    }
    findings.boxCargo.resize(count);
    for (int n = 1; n <= count; ++n) findings.boxCargo[n - 1] = cargoLines(scene.cargo, w, n);
    for (int n = 1; n <= count && n <= static_cast<int>(report.supports.size()); ++n) {
        if (std::find(report.degenerate.begin(), report.degenerate.end(), n) !=
            report.degenerate.end()) {
            continue;
        }
        findings.restsOn[n - 1] = restText(report, n);
    }
    return findings;
}
