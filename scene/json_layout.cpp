// Reads a layout written as JSON: a container and its boxes, with what the boxes are.
//
// Sections: positions and refusals; parsing a value or a piece of the boxes through simdjson;
// the light scan that finds where values end; the container and one box; the boxes array, read
// in large pieces; readJsonLayout, which scans the top object.
#include "scene/json_layout.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <ostream>
#include <simdjson.h>
#include <string_view>

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Boxes parsed in one piece where the light scan cuts the array: enough to make the parser's
// start-up cost nothing, few enough to keep its memory small whatever the file's size.
constexpr std::size_t kBoxesAPiece = 4096;

// Where reading stopped: the first refusal, already worded.
struct Reading {
    const std::string& fileName;
    std::string_view text;
    char* writable;  // the same text: a piece is parsed in place, between two bytes set apart
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
    std::size_t at = npos;
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

// Parses text[begin, end), wrapped in brackets when wrap, as one document. On a failure, says
// where the text goes wrong unless quiet.
bool parse(Reading& r, std::size_t begin, std::size_t end, bool wrap, simdjson::dom::element& doc,
           bool quiet = false) {
    // A piece of the array is parsed where it lies, its bytes before and after it made brackets
    // for the time of the parse; other values are copied, with the padding simdjson reads past.
    const bool inPlace = wrap && begin > 0 && end + simdjson::SIMDJSON_PADDING <= r.text.size();
    const char* data = r.writable + begin - 1;
    const std::size_t length = end - begin + (wrap ? 2 : 0);
    const char saved[2] = {r.text[begin - (inPlace ? 1 : 0)], r.text[end - (inPlace ? 0 : 1)]};
    if (inPlace) {
        r.writable[begin - 1] = '[';
        r.writable[end] = ']';
    } else {
        r.piece.assign(wrap ? "[" : "");
        r.piece.append(r.text.substr(begin, end - begin));
        if (wrap) r.piece += ']';
        r.piece.resize(length + simdjson::SIMDJSON_PADDING);
        data = r.piece.data();
    }
    const auto error = r.parser.parse(data, length, false).get(doc);
    Finder finder;
    if (error && !quiet) nlohmann::json::sax_parse(data, data + length, &finder);
    if (inPlace) {
        r.writable[begin - 1] = saved[0];
        r.writable[end] = saved[1];
    }
    if (!error) return true;
    if (quiet) return false;
    if (finder.at == npos || finder.at == 0) {
        return refuse(r, "JSON non lu : nombre hors limites ou imbrication trop profonde");
    }
    const std::size_t inPiece = std::min(finder.at - 1, length);
    return syntaxError(r, begin + inPiece - (wrap && inPiece > 0 ? 1 : 0));
}

// The light scan: it finds where each value starts and ends, leaving simdjson to judge them.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::size_t skipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    return at;
}

// The end of the string that starts at at, or npos.
std::size_t stringEnd(std::string_view text, std::size_t at) {
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\') {
            ++at;
        } else if (text[at] == '"') {
            return at + 1;
        }
    }
    return npos;
}

// The end of the value that starts at at (a string, a nest of brackets, or a word), or npos.
std::size_t valueEnd(std::string_view text, std::size_t at) {
    if (at >= text.size()) return npos;
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
            if (at == npos) return at;
            --at;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
            return at + 1;
        }
    }
    return npos;
}

// The container and one box.
std::string path(std::size_t box, std::string_view key) {
    return "boxes[" + std::to_string(box) + "]." + std::string(key);
}

// The place of a value, as a refusal names it: "boxes[3].posX", "container.dimX".
struct Place {
    std::size_t box;  // SIZE_MAX for the container
    std::string_view key;
};

std::string placeText(const Place& place) {
    if (place.box == SIZE_MAX) return "container." + std::string(place.key);
    return path(place.box, place.key);
}

bool readInteger(Reading& r, simdjson::dom::element value, const Place& place, int32_t& field) {
    int64_t number = 0;
    if (value.get_int64().get(number)) return refuse(r, placeText(place) + " doit etre un entier");
    if (number < INT32_MIN || number > INT32_MAX) {
        return refuse(r, placeText(place) + " depasse les entiers 32 bits");
    }
    field = static_cast<int32_t>(number);
    return true;
}

bool readKilograms(Reading& r, simdjson::dom::element value, const Place& place, double& field) {
    if (value.get_double().get(field) || !std::isfinite(field) || field < 0) {
        return refuse(r, placeText(place) + " doit etre un nombre de kilos positif ou nul");
    }
    return true;
}

// Gives a table its entry for box (from 0), filling the boxes before it with blank.
template <typename T>
T& entry(std::vector<T>& table, std::size_t box, const T& blank, std::size_t room) {
    if (table.empty()) table.reserve(room);
    if (table.size() < box) table.resize(box, blank);
    if (table.size() == box) table.push_back(blank);
    return table[box];
}

// The field a key of a box names among dimX, dimY, dimZ, posX, posY, posZ (0 to 5), or -1.
int sideOrPosition(std::string_view key) {
    if (key.size() != 4 || key[3] < 'X' || key[3] > 'Z') return -1;
    const int axis = key[3] - 'X';
    if (key[0] == 'd' && key[1] == 'i' && key[2] == 'm') return axis;
    if (key[0] == 'p' && key[1] == 'o' && key[2] == 's') return 3 + axis;
    return -1;
}

bool readBox(Reading& r, simdjson::dom::element element, std::size_t n, Layout& layout) {
    simdjson::dom::object fields;
    if (element.get_object().get(fields)) {
        return refuse(r, "boxes[" + std::to_string(n) + "] doit etre un objet");
    }
    static const std::string_view kNames[] = {"dimX", "dimY", "dimZ", "posX", "posY", "posZ"};
    Box box;
    int32_t* targets[] = {&box.dimX, &box.dimY, &box.dimZ, &box.posX, &box.posY, &box.posZ};
    unsigned given = 0;
    bool weighed = false;
    Cargo& cargo = layout.cargo;
    const bool weighedBefore = !cargo.weight.empty();
    for (auto [key, value] : fields) {
        bool ok = true;
        const Place place{n, key};
        const int k = sideOrPosition(key);
        if (k >= 0) {
            ok = readInteger(r, value, place, *targets[k]);
            given |= 1u << k;
        } else if (key == "weight") {
            ok = readKilograms(r, value, place,
                               entry(cargo.weight, n, 0.0, layout.boxes.capacity()));
            weighed = true;
        } else if (key == "maxLoad") {
            ok = readKilograms(r, value, place,
                               entry(cargo.maxLoad, n, kNoLimit, layout.boxes.capacity()));
        } else if (key == "fragile") {
            bool fragile = false;
            if (value.get_bool().get(fragile))
                return refuse(r, path(n, key) + " doit valoir true ou false");
            entry(cargo.fragile, n, char{0}, layout.boxes.capacity()) = fragile;
        } else if (key == "label") {
            std::string_view label;
            if (value.get_string().get(label) || label.size() > kMaxLabelBytes) {
                return refuse(r, path(n, key) + " doit etre un texte de 64 octets au plus");
            }
            entry(cargo.label, n, std::string(), layout.boxes.capacity()) = label;
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
        if (!readInteger(r, value, {SIZE_MAX, name}, *field)) return false;
    }
    simdjson::dom::element limit;
    if (!fields.at_key("maxWeight").get(limit)) {
        return readKilograms(r, limit, {SIZE_MAX, "maxWeight"}, layout.cargo.maxWeight);
    }
    return true;
}

enum class Piece { kRead, kUnparsed, kRefused };

// Reads the boxes of text[begin, end), the boxes of a piece of the array and the commas between
// them. kUnparsed, without a word, when quiet and the piece is no valid JSON.
Piece readPiece(Reading& r, std::size_t begin, std::size_t end, Layout& layout, bool quiet) {
    simdjson::dom::element doc;
    if (!parse(r, begin, end, true, doc, quiet)) return quiet ? Piece::kUnparsed : Piece::kRefused;
    for (simdjson::dom::element box : doc.get_array()) {
        if (!readBox(r, box, layout.boxes.size(), layout)) return Piece::kRefused;
    }
    return Piece::kRead;
}

// A quick guess at a comma between two boxes some way after at: a '}', a comma and a '{',
// blanks between. The guess may fall inside a string or a box's own array, but the piece it
// ends is then no valid JSON (a string or a bracket left open), so a piece that parses was
// cut between two boxes.
std::size_t guessCut(std::string_view text, std::size_t at) {
    constexpr std::size_t kPieceBytes = 1 << 18, kSearched = 1 << 14;
    const std::size_t from = at + kPieceBytes;
    if (from + kSearched >= text.size()) return npos;
    for (std::size_t c = from; c < from + kSearched; ++c) {
        const void* found = std::memchr(text.data() + c, ',', from + kSearched - c);
        if (found == nullptr) return npos;
        c = static_cast<const char*>(found) - text.data();
        std::size_t before = c, after = skipBlanks(text, c + 1);
        while (before > at && isBlank(text[before - 1])) --before;
        if (text[before - 1] == '}' && after < text.size() && text[after] == '{') return c;
    }
    return npos;
}

// Reads the array of boxes that starts at text[begin] ('['): large pieces cut by guessCut, and
// where no guess holds, kBoxesAPiece boxes found by the light scan. Returns the end of the
// array, or npos after a refusal.
std::size_t readBoxes(Reading& r, std::size_t begin, int64_t maxBoxes, Layout& layout) {
    const std::string_view text = r.text;
    std::size_t at = skipBlanks(text, begin + 1), total = 0;  // boxes met, read or not
    if (at < text.size() && text[at] == ']') return at + 1;
    for (;;) {
        const bool reading = static_cast<int64_t>(total) <= maxBoxes;
        const std::size_t cut = reading ? guessCut(text, at) : npos;
        if (cut != npos) {
            const Piece piece = readPiece(r, at, cut, layout, true);
            if (piece == Piece::kRefused) return npos;
            if (piece == Piece::kRead) {
                total = layout.boxes.size();
                at = skipBlanks(text, cut + 1);
                continue;
            }
        }
        const std::size_t pieceStart = at;
        std::size_t end = at;
        for (std::size_t inPiece = 0; inPiece < kBoxesAPiece; ++inPiece) {
            end = valueEnd(text, at);
            if (end == npos || end == at) {
                syntaxError(r, std::min(end, text.size()));
                return npos;
            }
            ++total;
            at = skipBlanks(text, end);
            if (at >= text.size() || (text[at] != ',' && text[at] != ']')) {
                syntaxError(r, at);
                return npos;
            }
            if (text[at] == ']') break;
            at = skipBlanks(text, at + 1);
        }
        if (reading && readPiece(r, pieceStart, end, layout, false) != Piece::kRead) return npos;
        if (text[at] == ']') break;
    }
    if (static_cast<int64_t>(total) > maxBoxes) {
        refuse(r, "trop de boites (" + std::to_string(total) + "), " + std::to_string(maxBoxes) +
                      " au maximum");
        return npos;
    }
    return at + 1;
}

// Every table of the cargo that a box filled gets an entry for every box.
void completeCargo(Cargo& cargo, std::size_t count) {
    if (!cargo.maxLoad.empty()) cargo.maxLoad.resize(count, kNoLimit);
    if (!cargo.fragile.empty()) cargo.fragile.resize(count, 0);
    if (!cargo.label.empty()) cargo.label.resize(count);
}

}  // namespace

bool readJsonLayout(const std::string& fileName, char* data, std::size_t size, int64_t maxBoxes,
                    Layout& layout, std::ostream& out) {
    const std::string_view text(data, size);
    Reading r{fileName, text, data, out};
    // The shortest box takes 55 bytes: room for every box, never much more.
    layout.boxes.reserve(std::min<std::size_t>(text.size() / 55 + 1, maxBoxes));
    std::size_t at = skipBlanks(text, text.find('{') + 1);
    std::size_t containerAt = npos, containerEnd = 0, boxesAt = npos;
    bool first = true;
    // The top object is scanned here; each value is then judged by simdjson.
    while (!(first && at < text.size() && text[at] == '}')) {
        const std::size_t keyEnd = at < text.size() && text[at] == '"' ? stringEnd(text, at) : npos;
        if (keyEnd == npos) return syntaxError(r, at);
        const std::string_view key(text.data() + at + 1, keyEnd - at - 2);
        at = skipBlanks(text, keyEnd);
        if (at >= text.size() || text[at] != ':') return syntaxError(r, at);
        const std::size_t valueAt = skipBlanks(text, at + 1);
        const bool boxes = key == "boxes" && valueAt < text.size() && text[valueAt] == '[';
        if (boxes) {
            layout.boxes.clear();  // the last "boxes" holds
            layout.cargo = Cargo();
            boxesAt = valueAt;
        }
        const std::size_t end =
            boxes ? readBoxes(r, valueAt, maxBoxes, layout) : valueEnd(text, valueAt);
        if (boxes && end == npos) return false;
        if (end == npos || end == valueAt) return syntaxError(r, std::min(end, text.size()));
        if (key == "container") {
            containerAt = valueAt;
            containerEnd = end;
        } else if (key == "boxes" && !boxes) {
            return refuse(r, "boxes doit etre un tableau");
        } else if (!boxes) {
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
    if (containerAt == npos) return refuse(r, "container manque");
    if (boxesAt == npos) return refuse(r, "boxes manque");
    if (!readContainer(r, containerAt, containerEnd, layout)) return false;
    completeCargo(layout.cargo, layout.boxes.size());
    return true;
}
