// Reads a layout written as JSON: a container and its boxes, with what the boxes are.
//
// Sections: positions and refusals; the light scan that finds the values; the container and the
// boxes read through simdjson, a few thousand boxes at a time; readJsonLayout.
#include "scene/json_layout.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <ostream>
#include <simdjson.h>
#include <string_view>

namespace {

// Boxes parsed in one piece: enough to make the parser's start-up cost nothing, few enough to
// keep its memory small whatever the file's size.
constexpr std::size_t kBoxesAPiece = 4096;

// Where reading stopped: the first refusal, already worded.
struct Reading {
    const std::string& fileName;
    const std::string& text;
    std::ostream& out;
    simdjson::dom::parser parser{};
    std::string piece = {};  // the text handed to simdjson, with its padding
};

bool refuse(Reading& r, const std::string& what) {
    r.out << r.fileName << " : " << what << std::endl;
    return false;
}

// The line and column (from 1, in bytes) of a position in the text.
bool syntaxError(Reading& r, std::size_t at) {
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < at && i < r.text.size(); ++i) {
        if (r.text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return refuse(r, "erreur de syntaxe JSON ligne " + std::to_string(line) + ", colonne " +
                         std::to_string(at - lineStart + 1));
}

// A no-op SAX handler: nlohmann finds where the text that simdjson refused goes wrong.
struct Finder : nlohmann::json_sax<nlohmann::json> {
    std::size_t at = std::string::npos;
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t byte, const std::string&,
                     const nlohmann::detail::exception&) override {
        at = byte;
        return false;
    }
};

// Parses text[begin, end), wrapped in brackets when wrap, as one document.
bool parse(Reading& r, std::size_t begin, std::size_t end, bool wrap, simdjson::dom::element& doc) {
    r.piece.assign(wrap ? "[" : "");
    r.piece.append(r.text, begin, end - begin);
    if (wrap) r.piece += ']';
    const std::size_t length = r.piece.size();
    r.piece.resize(length + simdjson::SIMDJSON_PADDING);
    const auto error = r.parser.parse(r.piece.data(), length, false).get(doc);
    if (!error) return true;
    Finder finder;
    nlohmann::json::sax_parse(r.piece.substr(0, length), &finder);
    if (finder.at == std::string::npos || finder.at == 0) {
        return refuse(r, "JSON non lu : nombre hors limites ou imbrication trop profonde");
    }
    const std::size_t inPiece = std::min(finder.at - 1, length);
    return syntaxError(r, begin + inPiece - (wrap && inPiece > 0 ? 1 : 0));
}

// The light scan: it finds where each value starts and ends, leaving simdjson to judge them.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::size_t skipBlanks(const std::string& text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    return at;
}

// The end of the string that starts at at, or npos.
std::size_t stringEnd(const std::string& text, std::size_t at) {
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\') {
            ++at;
        } else if (text[at] == '"') {
            return at + 1;
        }
    }
    return std::string::npos;
}

// The end of the value that starts at at (a string, a nest of brackets, or a word), or npos.
std::size_t valueEnd(const std::string& text, std::size_t at) {
    if (at >= text.size()) return std::string::npos;
    if (text[at] == '"') return stringEnd(text, at);
    if (text[at] != '{' && text[at] != '[') {
        while (at < text.size() && !isBlank(text[at]) && !std::strchr(",]}:", text[at])) ++at;
        return at;
    }
    std::size_t depth = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            at = stringEnd(text, at);
            if (at == std::string::npos) return at;
            --at;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
            return at + 1;
        }
    }
    return std::string::npos;
}

// Section: the container and the boxes.
std::string path(std::size_t box, std::string_view key) {
    return "boxes[" + std::to_string(box) + "]." + std::string(key);
}

bool readInteger(Reading& r, simdjson::dom::element value, const std::string& where,
                 int32_t& field) {
    int64_t number = 0;
    if (value.get_int64().get(number)) return refuse(r, where + " doit etre un entier");
    if (number < INT32_MIN || number > INT32_MAX) {
        return refuse(r, where + " depasse les entiers 32 bits");
    }
    field = static_cast<int32_t>(number);
    return true;
}

bool readKilograms(Reading& r, simdjson::dom::element value, const std::string& where,
                   double& field) {
    if (value.get_double().get(field) || !std::isfinite(field) || field < 0) {
        return refuse(r, where + " doit etre un nombre de kilos positif ou nul");
    }
    return true;
}

// Gives a table its entry for box (from 0), filling the boxes before it with blank.
template <typename T>
T& entry(std::vector<T>& table, std::size_t box, const T& blank) {
    if (table.size() <= box) table.resize(box + 1, blank);
    return table[box];
}

bool readBox(Reading& r, simdjson::dom::element element, std::size_t n, Layout& layout) {
    simdjson::dom::object fields;
    if (element.get_object().get(fields)) {
        return refuse(r, "boxes[" + std::to_string(n) + "] doit etre un objet");
    }
    static const char* const kNames[] = {"dimX", "dimY", "dimZ", "posX", "posY", "posZ"};
    Box box;
    int32_t* targets[] = {&box.dimX, &box.dimY, &box.dimZ, &box.posX, &box.posY, &box.posZ};
    unsigned given = 0;
    bool weighed = false;
    Cargo& cargo = layout.cargo;
    const bool weighedBefore = !cargo.weight.empty();
    for (auto [key, value] : fields) {
        bool ok = true;
        for (int k = 0; k < 6; ++k) {
            if (key == kNames[k]) {
                ok = readInteger(r, value, path(n, key), *targets[k]);
                given |= 1u << k;
            }
        }
        if (key == "weight") {
            ok = readKilograms(r, value, path(n, key), entry(cargo.weight, n, 0.0));
            weighed = true;
        } else if (key == "maxLoad") {
            ok = readKilograms(r, value, path(n, key), entry(cargo.maxLoad, n, kNoLimit));
        } else if (key == "fragile") {
            bool fragile = false;
            if (value.get_bool().get(fragile))
                return refuse(r, path(n, key) + " doit valoir true ou false");
            entry(cargo.fragile, n, char{0}) = fragile;
        } else if (key == "label") {
            std::string_view label;
            if (value.get_string().get(label) || label.size() > kMaxLabelBytes) {
                return refuse(r, path(n, key) + " doit etre un texte de 64 octets au plus");
            }
            entry(cargo.label, n, std::string()) = label;
        }
        if (!ok) return false;
    }
    for (int k = 0; k < 6; ++k) {
        if (!(given & 1u << k)) return refuse(r, path(n, kNames[k]) + " manque");
    }
    if (n > 0 && weighed != weighedBefore) {
        return refuse(
            r, path(n, "weight") + " : le poids est donne pour toutes les boites ou pour aucune");
    }
    layout.boxes.push_back(box);
    return true;
}

bool readContainer(Reading& r, std::size_t begin, std::size_t end, Layout& layout) {
    simdjson::dom::element doc;
    if (!parse(r, begin, end, false, doc)) return false;
    simdjson::dom::object fields;
    if (doc.get_object().get(fields)) return refuse(r, "container doit etre un objet");
    Container& c = layout.container;
    const std::pair<const char*, int32_t*> sides[] = {
        {"dimX", &c.dimX}, {"dimY", &c.dimY}, {"dimZ", &c.dimZ}};
    for (const auto& [name, field] : sides) {
        simdjson::dom::element value;
        if (fields.at_key(name).get(value))
            return refuse(r, std::string("container.") + name + " manque");
        if (!readInteger(r, value, std::string("container.") + name, *field)) return false;
    }
    simdjson::dom::element limit;
    if (!fields.at_key("maxWeight").get(limit)) {
        return readKilograms(r, limit, "container.maxWeight", layout.cargo.maxWeight);
    }
    return true;
}

// Reads the boxes of text[begin, end) (between the brackets of "boxes"), a piece at a time.
bool readBoxes(Reading& r, std::size_t begin, int64_t maxBoxes, Layout& layout) {
    const std::string& text = r.text;
    std::size_t at = skipBlanks(text, begin + 1), pieceStart = at, inPiece = 0, total = 0;
    auto flush = [&](std::size_t pieceEnd) {
        simdjson::dom::element doc;
        if (inPiece == 0 || static_cast<int64_t>(total) > maxBoxes) return true;
        if (!parse(r, pieceStart, pieceEnd, true, doc)) return false;
        for (simdjson::dom::element box : doc.get_array()) {
            if (!readBox(r, box, layout.boxes.size(), layout)) return false;
        }
        inPiece = 0;
        return true;
    };
    if (at < text.size() && text[at] == ']') return true;
    for (;;) {
        const std::size_t end = valueEnd(text, at);
        if (end == std::string::npos || end == at)
            return syntaxError(r, end == at ? at : text.size());
        ++inPiece;
        ++total;
        at = skipBlanks(text, end);
        if (at < text.size() && text[at] == ']') break;
        if (at >= text.size() || text[at] != ',') return syntaxError(r, at);
        if (inPiece == kBoxesAPiece && !flush(end)) return false;
        at = skipBlanks(text, at + 1);
        if (inPiece == 0) pieceStart = at;
    }
    if (static_cast<int64_t>(total) > maxBoxes) {
        return refuse(r, "trop de boites (" + std::to_string(total) + "), " +
                             std::to_string(maxBoxes) + " au maximum");
    }
    return flush(at);
}

// Every table of the cargo that a box filled gets an entry for every box.
void completeCargo(Cargo& cargo, std::size_t count) {
    if (!cargo.maxLoad.empty()) cargo.maxLoad.resize(count, kNoLimit);
    if (!cargo.fragile.empty()) cargo.fragile.resize(count, 0);
    if (!cargo.label.empty()) cargo.label.resize(count);
}

}  // namespace

bool readJsonLayout(const std::string& fileName, const std::string& text, int64_t maxBoxes,
                    Layout& layout, std::ostream& out) {
    Reading r{fileName, text, out};
    std::size_t at = skipBlanks(text, 1);
    std::size_t containerAt = std::string::npos, containerEnd = 0, boxesAt = std::string::npos;
    bool first = true;
    // The top object is scanned here; each value is then judged by simdjson.
    while (!(first && at < text.size() && text[at] == '}')) {
        const std::size_t keyEnd =
            at < text.size() && text[at] == '"' ? stringEnd(text, at) : std::string::npos;
        if (keyEnd == std::string::npos) return syntaxError(r, at);
        const std::string_view key(text.data() + at + 1, keyEnd - at - 2);
        at = skipBlanks(text, keyEnd);
        if (at >= text.size() || text[at] != ':') return syntaxError(r, at);
        const std::size_t valueAt = skipBlanks(text, at + 1);
        const std::size_t end = valueEnd(text, valueAt);
        if (end == std::string::npos || end == valueAt)
            return syntaxError(r, std::min(end, text.size()));
        if (key == "container") {
            containerAt = valueAt;
            containerEnd = end;
        } else if (key == "boxes") {
            boxesAt = valueAt;
        } else {
            simdjson::dom::element ignored;
            if (!parse(r, valueAt, end, false, ignored)) return false;
        }
        at = skipBlanks(text, end);
        first = false;
        if (at < text.size() && text[at] == '}') break;
        if (at >= text.size() || text[at] != ',') return syntaxError(r, at);
        at = skipBlanks(text, at + 1);
    }
    if (skipBlanks(text, at + 1) != text.size()) return syntaxError(r, skipBlanks(text, at + 1));
    if (containerAt == std::string::npos) return refuse(r, "container manque");
    if (boxesAt == std::string::npos) return refuse(r, "boxes manque");
    if (!readContainer(r, containerAt, containerEnd, layout)) return false;
    if (text[boxesAt] != '[') return refuse(r, "boxes doit etre un tableau");
    if (!readBoxes(r, boxesAt, maxBoxes, layout)) return false;
    completeCargo(layout.cargo, layout.boxes.size());
    return true;
}
