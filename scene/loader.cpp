// Reads a layout text file (container, box count, six integers per box) into a Scene.
#include "scene/scene.h"

#include <cstdint>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <sys/stat.h>

namespace {

// A token longer than this cannot be a 32-bit integer; reading stops there so
// that a file without whitespace (or a device) cannot make us read forever.
constexpr std::size_t kMaxTokenLength = 64;

enum class TokenStatus { Ok, Missing, NotInteger, OutOfRange };

struct Token {
    TokenStatus status = TokenStatus::Missing;
    int32_t value = 0;
    std::string text;
};

bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Classifies one whitespace-free word as a signed decimal 32-bit integer.
Token parseToken(const std::string& text, bool truncated) {
    Token token;
    token.text = text;
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) {
        token.status = TokenStatus::NotInteger;
        return token;
    }
    int64_t magnitude = 0;
    bool overflow = truncated;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') {
            token.status = TokenStatus::NotInteger;
            return token;
        }
        if (!overflow) {
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > int64_t{1} << 32) overflow = true;
        }
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (overflow || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        token.status = TokenStatus::OutOfRange;
        return token;
    }
    token.status = TokenStatus::Ok;
    token.value = static_cast<int32_t>(value);
    return token;
}

Token readToken(std::istream& in) {
    int c = in.get();
    while (c != EOF && isSpace(c)) c = in.get();
    if (c == EOF) return Token{};
    std::string text;
    bool truncated = false;
    while (c != EOF && !isSpace(c)) {
        if (text.size() < kMaxTokenLength) {
            text.push_back(static_cast<char>(c));
        } else {
            truncated = true;
            break;
        }
        c = in.get();
    }
    return parseToken(text, truncated);
}

std::string ordinal(int n) {
    return std::to_string(n) + (n == 1 ? "er" : "e");
}

// Names the field that the n-th number of a file fills (n from 1).
std::string fieldName(int n) {
    static const char* const kContainerFields[] = {"dimX", "dimY", "dimZ"};
    static const char* const kBoxFields[] = {"dimX", "dimY", "dimZ", "posX", "posY", "posZ"};
    if (n <= 3) return std::string(kContainerFields[n - 1]) + " du conteneur";
    if (n == 4) return "nombre de boites";
    int k = n - 5;
    return std::string(kBoxFields[k % 6]) + " de la boite " + std::to_string(k / 6 + 1);
}

// Shows a bad word safely on one console line.
std::string printable(const std::string& text) {
    constexpr std::size_t kShown = 20;
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        shown.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : '?');
    }
    if (text.size() > kShown) shown += "...";
    return shown;
}

bool isReadableFile(const std::string& fileName) {
    struct stat info {};
    return !fileName.empty() && stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// Reads the n-th number of the file; on failure writes the message and returns false.
bool readNumber(std::istream& in, const std::string& fileName, int n, int32_t& value,
                std::ostream& out) {
    Token token = readToken(in);
    std::string what = "le " + ordinal(n) + " nombre (" + fieldName(n) + ")";
    switch (token.status) {
    case TokenStatus::Ok:
        value = token.value;
        return true;
    case TokenStatus::Missing:
        out << fileName << " : fichier incomplet, " << what << " manque" << std::endl;
        return false;
    case TokenStatus::NotInteger:
        out << fileName << " : " << what << " n'est pas un entier : " << printable(token.text)
            << std::endl;
        return false;
    case TokenStatus::OutOfRange:
        out << fileName << " : " << what << " depasse les entiers 32 bits : "
            << printable(token.text) << std::endl;
        return false;
    }
    return false;
}

} // namespace

int loadScene(std::string fileName, Scene& scene, std::ostream& out) {
    std::ifstream in;
    if (isReadableFile(fileName)) in.open(fileName);
    if (!in.is_open() || !in) {
        out << fileName << " introuvable" << std::endl;
        return -1;
    }

    // Parse into a copy so that a refused file leaves the caller's scene as it was.
    Scene loaded = scene;
    int n = 0;
    int32_t* containerFields[] = {&loaded.container.dimX, &loaded.container.dimY,
                                  &loaded.container.dimZ};
    for (int32_t* field : containerFields) {
        if (!readNumber(in, fileName, ++n, *field, out)) return -1;
    }
    static const char* const kAxisNames[] = {"dimX", "dimY", "dimZ"};
    for (int axis = 0; axis < 3; ++axis) {
        if (*containerFields[axis] > kMaxContainerDim) {
            out << fileName << " : dimension du conteneur trop grande (" << kAxisNames[axis]
                << " = " << *containerFields[axis] << "), " << kMaxContainerDim
                << " au maximum" << std::endl;
            return -1;
        }
    }

    if (!readNumber(in, fileName, ++n, loaded.boxCount, out)) return -1;
    if (loaded.boxCount > kMaxBoxes) {
        out << fileName << " : trop de boites (" << loaded.boxCount << "), " << kMaxBoxes
            << " au maximum" << std::endl;
        return -1;
    }

    for (int box = 1; box <= loaded.boxCount; ++box) {
        Box& b = loaded.boxes[box];
        for (int32_t* field : {&b.dimX, &b.dimY, &b.dimZ, &b.posX, &b.posY, &b.posZ}) {
            if (!readNumber(in, fileName, ++n, *field, out)) return -1;
        }
    }

    scene = loaded;
    return 0;
}

int loadScene(std::string fileName, Scene& scene) {
    return loadScene(std::move(fileName), scene, std::cout);
}
