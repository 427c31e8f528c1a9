// The checker's findings in words: the French text report and the JSON line, with a UTF-8-safe string and an exact number writer.
//
// Sections: JSON strings and numbers; the text report; the JSON report.
#include "tools/check/report.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "tools/common/wording.h"

namespace {

// The JSON text of a string. A file name may hold any bytes: each broken UTF-8
// sequence becomes one U+FFFD (validUtf8), and what remains is escaped.
std::string jsonString(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : validUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

// A finite, non-negative double in the shortest form that reads back as the same value,
// with a decimal point or an exponent so that it reads as a floating-point
// number: 25.0, 3.2, 1e-05, 1.9807040600895969e+30.
std::string jsonNumber(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string text(buffer, result.ptr);
    const std::size_t e = text.find('e');
    std::string digits;
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] >= '0' && text[i] <= '9') digits += text[i];
    }
    const int exponent = std::stoi(text.substr(e + 1));
    const int length = static_cast<int>(digits.size());
    const int point = exponent + 1;  // digits before the decimal point
    std::string out;
    if (digits == "0") {
        out += "0.0";
    } else if (length <= point && point <= 15) {
        out += digits + std::string(static_cast<std::size_t>(point - length), '0') + ".0";
    } else if (0 < point && point <= 15) {
        out += digits.substr(0, static_cast<std::size_t>(point)) + "." +
               digits.substr(static_cast<std::size_t>(point));
    } else if (-4 < point && point <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else {
        out += digits.substr(0, 1);
        if (length > 1) out += "." + digits.substr(1);
        const int shown = point - 1;
        out += shown < 0 ? "e-" : "e+";
        const std::string magnitude = std::to_string(std::abs(shown));
        if (magnitude.size() < 2) out += '0';
        out += magnitude;
    }
    return out;
}

// A signed double as jsonNumber writes it.
std::string jsonSigned(double value) {
    return value < 0 ? "-" + jsonNumber(-value) : jsonNumber(value);
}

// Kilograms to the gram, digits grouped by three, without trailing zeros: "18 450", "12.5".
std::string kilograms(double kg) {
    if (!(kg < 1e15)) return jsonNumber(kg) + " kg";
    const auto grams = static_cast<int64_t>(std::llround(kg * 1000));
    const std::string whole = volumeText(static_cast<Volume>(grams / 1000), " ");
    std::string decimals = std::to_string(grams % 1000 + 1000).substr(1);
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    return whole + (decimals.empty() ? "" : "." + decimals) + " kg";
}

// An offset in % with its sign and one decimal: "+2.1", "-0.3", "+0.0".
std::string signedPercent(double percent) {
    const double shown = std::round(percent * 10) / 10;
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << std::showpos << (shown == 0 ? 0.0 : shown);
    return text.str();
}

std::string offsetText(const WeightReport& w) {
    return "ecart " + signedPercent(w.offset[0]) + " % en x, " + signedPercent(w.offset[1]) +
           " % en y";
}

// The lines on the weights that are no problem: the total and the centre of gravity.
void writeWeights(std::ostream& text, const WeightReport& w) {
    text << "poids total : " << kilograms(w.total);
    if (w.maxWeight != kNoLimit) text << " (maximum " << kilograms(w.maxWeight) << ')';
    text << "\ncentre de gravite : ";
    if (!w.hasCentre) {
        text << "non calculable\n";
        return;
    }
    text << std::fixed << std::setprecision(1) << "x " << w.centre[0] << " y " << w.centre[1]
         << " z " << w.centre[2] << " (" << offsetText(w) << ")\n";
}

template <typename T, typename Write>
void jsonList(std::ostream& json, const char* key, const std::vector<T>& items, Write write) {
    json << ",\"" << key << "\":[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) json << ',';
        write(items[i]);
    }
    json << ']';
}

}  // namespace

void writeText(std::ostream& text, const std::string& fileName, const LayoutReport& report) {
    text << "fichier : " << fileName << '\n';
    text << "nombre de boites : " << report.boxCount << '\n';
    text << "volume du conteneur : " << volumeText(report.containerVolume) << '\n';
    text << "volume des boites : " << volumeText(report.boxVolume) << '\n';
    if (report.hasUtilisation) {
        text << "taux de remplissage : " << std::fixed << std::setprecision(2) << report.utilisation
             << " %\n";
    } else {
        text << "taux de remplissage : non calculable, le conteneur a un volume nul\n";
    }
    const WeightReport& w = report.weight;
    if (w.weighed) writeWeights(text, w);
    if (report.containerDegenerate) text << "conteneur degenere (dimension nulle ou negative)\n";
    for (const Overlap& overlap : report.overlaps) {
        text << "chevauchement des boites " << overlap.first << " et " << overlap.second
             << " : volume " << volumeText(overlap.volume) << '\n';
    }
    if (report.overlapsCut) {
        text << "chevauchements : liste arretee a " << kMaxListedOverlaps
             << ", appuis non verifies\n";
    }
    if (report.contactsCut) {
        text << "contacts : recherche arretee a " << kMaxContacts
             << ", chevauchements et appuis non verifies\n";
    }
    for (const Crossing& crossing : report.outside) {
        text << "boite " << crossing.box << " hors du conteneur : axe " << crossing.axis
             << ", cote " << sideName(crossing.side) << '\n';
    }
    for (int box : report.degenerate) {
        text << "boite " << box << " degeneree (dimension nulle ou negative)\n";
    }
    for (int box : report.floating) text << "boite " << box << " en l'air : aucun appui\n";
    for (int box : report.unstable) {
        text << "boite " << box << " instable : son centre est hors de l'appui\n";
    }
    for (const SupportShortfall& shortfall : report.support) {
        text << "boite " << shortfall.box << " appuyee a " << percentText(shortfall.percent)
             << " % (minimum " << report.settings.supportThreshold << " %)\n";
    }
    for (const OrderIssue& issue : report.order) {
        text << "boite " << issue.box << " posee sur la boite " << issue.restsOn
             << ", chargee apres elle\n";
    }
    if (w.overweight) {
        text << "poids total trop eleve : " << kilograms(w.total) << " pour "
             << kilograms(w.maxWeight) << " admis\n";
    }
    if (w.offCentre) {
        text << "centre de gravite excentre : " << offsetText(w) << " (maximum "
             << report.settings.cogLimit << " %)\n";
    }
    for (const OrderIssue& issue : report.fragility) {
        text << "boite " << issue.box << " posee sur la boite " << issue.restsOn << ", fragile\n";
    }
    for (const Overload& o : w.overloaded) {
        text << "boite " << o.box << " surchargee : " << kilograms(o.load) << " pour "
             << kilograms(o.maxLoad) << " admis\n";
    }
    if (!hasProblems(report)) text << "aucun probleme\n";
}

std::string formatText(const std::string& fileName, const LayoutReport& report) {
    std::ostringstream text;
    writeText(text, fileName, report);
    return text.str();
}

// The object is written by hand: a volume may need up to 113 bits, which
// few JSON libraries hold in a number, while JSON itself puts no limit on an
// integer's digits. Writing every volume as its exact decimal digits keeps one format
// for small and huge values, and the keys keep the documented order.
void writeJson(std::ostream& json, const std::string& fileName, const LayoutReport& report) {
    json << "{\"file\":" << jsonString(fileName);
    json << ",\"container\":{\"dimX\":" << report.container.dimX
         << ",\"dimY\":" << report.container.dimY << ",\"dimZ\":" << report.container.dimZ << '}';
    json << ",\"boxCount\":" << report.boxCount;
    json << ",\"containerVolume\":" << volumeText(report.containerVolume);
    json << ",\"boxVolume\":" << volumeText(report.boxVolume);
    json << ",\"utilisation\":"
         << (report.hasUtilisation ? jsonNumber(report.utilisation) : "null");
    json << ",\"containerDegenerate\":" << (report.containerDegenerate ? "true" : "false");
    jsonList(json, "overlaps", report.overlaps, [&](const Overlap& overlap) {
        json << "{\"a\":" << overlap.first << ",\"b\":" << overlap.second
             << ",\"volume\":" << volumeText(overlap.volume) << '}';
    });
    if (report.overlapsCut) json << ",\"overlapsCut\":true";
    if (report.contactsCut) json << ",\"contactsCut\":true";
    jsonList(json, "outside", report.outside, [&](const Crossing& crossing) {
        json << "{\"box\":" << crossing.box << ",\"axis\":\"" << crossing.axis << "\",\"side\":\""
             << sideName(crossing.side) << "\"}";
    });
    auto number = [&](int box) { json << box; };
    jsonList(json, "degenerate", report.degenerate, number);
    jsonList(json, "floating", report.floating, number);
    jsonList(json, "unstable", report.unstable, number);
    jsonList(json, "support", report.support, [&](const SupportShortfall& shortfall) {
        json << "{\"box\":" << shortfall.box << ",\"percent\":" << jsonNumber(shortfall.percent)
             << '}';
    });
    if (report.settings.order) {
        jsonList(json, "order", report.order, [&](const OrderIssue& issue) {
            json << "{\"box\":" << issue.box << ",\"restsOn\":" << issue.restsOn << '}';
        });
    }
    if (report.fragilityKnown) {
        jsonList(json, "fragility", report.fragility, [&](const OrderIssue& issue) {
            json << "{\"box\":" << issue.box << ",\"restsOn\":" << issue.restsOn << '}';
        });
    }
    const WeightReport& w = report.weight;
    if (w.weighed) {
        json << ",\"weight\":{\"total\":" << jsonNumber(w.total)
             << ",\"max\":" << (w.maxWeight != kNoLimit ? jsonNumber(w.maxWeight) : "null")
             << ",\"centre\":";
        if (w.hasCentre) {
            json << '[' << jsonSigned(w.centre[0]) << ',' << jsonSigned(w.centre[1]) << ','
                 << jsonSigned(w.centre[2]) << "],\"offset\":[" << jsonSigned(w.offset[0]) << ','
                 << jsonSigned(w.offset[1]) << ']';
        } else {
            json << "null,\"offset\":null";
        }
        json << "},\"overweight\":" << (w.overweight ? "true" : "false");
        if (report.settings.cogLimit >= 0) {
            json << ",\"offCentre\":" << (w.offCentre ? "true" : "false");
        }
        jsonList(json, "overloaded", w.overloaded, [&](const Overload& o) {
            json << "{\"box\":" << o.box << ",\"load\":" << jsonNumber(o.load)
                 << ",\"maxLoad\":" << jsonNumber(o.maxLoad) << '}';
        });
    }
    json << '}';
}

std::string formatJson(const std::string& fileName, const LayoutReport& report) {
    std::ostringstream json;
    writeJson(json, fileName, report);
    return json.str();
}
