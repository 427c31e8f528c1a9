// Reads a layout file, text (container, box count, six or seven integers per box) or JSON: the one reader behind the viewer's Scene and the checker's Layout.
#include "scene/scene.h"
#include "scene/json_layout.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// No layout number needs more characters than this, even with leading zeros;
// reading a word stops there, so that a file without whitespace (or a device)
// is neither read forever nor kept in memory.
constexpr int64_t kMaxWordLength = 4096;
// The number of characters of a bad word shown in a message.
constexpr std::size_t kShown = 20;
constexpr std::size_t kBufferSize = 1 << 16;
// The shortest text a box can take: six one-digit numbers and their separators.
constexpr int64_t kMinBytesPerBox = 12;

enum class WordStatus { kOk, kMissing, kNotInteger, kOutOfRange };

// A file read through one fixed buffer.
struct Input {
    int fd = -1;
    std::size_t pos = 0;
    std::size_t end = 0;
    bool ended = false;
    char buffer[kBufferSize];
};

// Refills the buffer; false at the end of the file or on a read error.
bool refill(Input& in) {
    while (!in.ended) {
        ssize_t got = ::read(in.fd, in.buffer, kBufferSize);
        if (got > 0) {
            in.pos = 0;
            in.end = static_cast<std::size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        in.ended = true;
    }
    return false;
}

// The next byte, or -1 at the end.
inline int nextByte(Input& in) {
    if (in.pos == in.end && !refill(in)) return -1;
    return static_cast<unsigned char>(in.buffer[in.pos++]);
}

inline bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Skips a UTF-8 byte-order mark at the very start of the file.
void skipByteOrderMark(Input& in) {
    static const char kMark[] = "\xEF\xBB\xBF";
    while (in.end < 3 && !in.ended) {
        ssize_t got = ::read(in.fd, in.buffer + in.end, kBufferSize - in.end);
        if (got > 0) {
            in.end += static_cast<std::size_t>(got);
        } else if (!(got < 0 && errno == EINTR)) {
            in.ended = true;
        }
    }
    if (in.end >= 3 && std::memcmp(in.buffer, kMark, 3) == 0) in.pos = 3;
    in.ended = false;  // a short first read is not the end of a pipe
}

// One whitespace-free word read as a signed decimal 32-bit integer. The start
// of the word is kept only to name it in a message.
struct Word {
    WordStatus status = WordStatus::kMissing;
    int32_t value = 0;
    std::size_t shownLength = 0;  // kShown + 1 when the word is longer than kShown
    char shown[kShown + 1] = {};
};

void readWord(Input& in, Word& word) {
    int c = nextByte(in);
    while (c >= 0 && isSpace(c)) c = nextByte(in);
    word.shownLength = 0;
    if (c < 0) {
        word.status = WordStatus::kMissing;
        return;
    }
    bool negative = false;
    bool digits = false;
    bool notInteger = false;
    int64_t magnitude = 0;
    int64_t length = 0;
    if (c == '+' || c == '-') {
        negative = c == '-';
        word.shown[word.shownLength++] = static_cast<char>(c);
        ++length;
        c = nextByte(in);
    }
    while (c >= 0 && !isSpace(c)) {
        if (length == kMaxWordLength) break;
        ++length;
        if (word.shownLength <= kShown) word.shown[word.shownLength++] = static_cast<char>(c);
        if (c >= '0' && c <= '9') {
            digits = true;
            // Leading zeros add nothing; the magnitude stops growing past 2^32.
            if (magnitude <= (int64_t{1} << 32)) magnitude = magnitude * 10 + (c - '0');
        } else {
            notInteger = true;
            if (word.shownLength > kShown) break;  // enough to name it
        }
        c = nextByte(in);
    }
    if (notInteger || !digits) {
        word.status = WordStatus::kNotInteger;
        return;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (length == kMaxWordLength || value < INT32_MIN || value > INT32_MAX) {
        word.status = WordStatus::kOutOfRange;
        return;
    }
    word.status = WordStatus::kOk;
    word.value = static_cast<int32_t>(value);
}

std::string ordinal(int64_t n) { return std::to_string(n) + (n == 1 ? "er" : "e"); }

// Names the field that the n-th number of a file fills (n from 1).
std::string fieldName(int64_t n) {
    static const char* const kContainerFields[] = {"dimX", "dimY", "dimZ"};
    static const char* const kBoxFields[] = {"dimX", "dimY", "dimZ", "posX", "posY", "posZ"};
    if (n <= 3) return std::string(kContainerFields[n - 1]) + " du conteneur";
    if (n == 4) return "nombre de boites";
    int64_t k = n - 5;
    return std::string(kBoxFields[k % 6]) + " de la boite " + std::to_string(k / 6 + 1);
}

// Shows a bad word safely on one console line.
std::string printable(const Word& word) {
    std::string shown;
    for (std::size_t i = 0; i < word.shownLength && i < kShown; ++i) {
        unsigned char c = static_cast<unsigned char>(word.shown[i]);
        shown.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : '?');
    }
    if (word.shownLength > kShown) shown += "...";
    return shown;
}

// Writes why the n-th number could not be read.
void reportBadWord(const Word& word, const std::string& fileName, int64_t n, std::ostream& out) {
    std::string what = "le " + ordinal(n) + " nombre (" + fieldName(n) + ")";
    if (word.status == WordStatus::kMissing) {
        out << fileName << " : fichier incomplet, " << what << " manque" << std::endl;
    } else if (word.status == WordStatus::kNotInteger) {
        out << fileName << " : " << what << " n'est pas un entier : " << printable(word)
            << std::endl;
    } else {
        out << fileName << " : " << what << " depasse les entiers 32 bits : " << printable(word)
            << std::endl;
    }
}

// Reads the n-th number of the file; on failure writes the message and returns false.
inline bool readNumber(Input& in, Word& word, const std::string& fileName, int64_t n,
                       int32_t& value, std::ostream& out) {
    readWord(in, word);
    if (word.status == WordStatus::kOk) {
        value = word.value;
        return true;
    }
    reportBadWord(word, fileName, n, out);
    return false;
}

// False, after saying so, when a side of the container is above maxContainerDim.
bool containerFits(const std::string& fileName, const Container& container, int64_t maxContainerDim,
                   std::ostream& out) {
    static const char* const kAxisNames[] = {"dimX", "dimY", "dimZ"};
    const int32_t sides[] = {container.dimX, container.dimY, container.dimZ};
    for (int axis = 0; axis < 3; ++axis) {
        if (sides[axis] > maxContainerDim) {
            out << fileName << " : dimension du conteneur trop grande (" << kAxisNames[axis]
                << " = " << sides[axis] << "), " << maxContainerDim << " au maximum" << std::endl;
            return false;
        }
    }
    return true;
}

// A whole regular file read into memory of its own, in large pages where the system gives
// them: on a virtual machine, the first touch of each small page of a mapping costs more than
// reading the file.
struct WholeFile {
    char* data = nullptr;
    std::size_t size = 0;
    std::size_t mapped = 0;
    bool read(int fd, off_t length) {
        constexpr std::size_t kLargePage = std::size_t{1} << 21;
        if (length <= 0) return false;
        mapped = (static_cast<std::size_t>(length) + kLargePage - 1) / kLargePage * kLargePage;
        void* where =
            ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (where == MAP_FAILED) return false;
        ::madvise(where, mapped, MADV_HUGEPAGE);
        data = static_cast<char*>(where);
        while (size < static_cast<std::size_t>(length)) {
            const ssize_t got = ::pread(fd, data + size, length - size, size);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            size += static_cast<std::size_t>(got);
        }
        return size > 0;
    }
    ~WholeFile() {
        if (data != nullptr) ::munmap(data, mapped);
    }
};

struct OpenFile {
    int fd = -1;
    ~OpenFile() {
        if (fd >= 0) ::close(fd);
    }
};

// Reads the numbers after the last box, while there are no more than count of them. True when
// they are exactly count whole numbers: the file then gives each box a seventh number.
bool readSeventhNumbers(Input& in, Word& word, int64_t count, std::vector<int32_t>& extra) {
    for (readWord(in, word); word.status == WordStatus::kOk; readWord(in, word)) {
        if (static_cast<int64_t>(extra.size()) == count) return false;
        extra.push_back(word.value);
    }
    return word.status == WordStatus::kMissing && static_cast<int64_t>(extra.size()) == count;
}

int32_t& fieldOf(Box& box, int64_t k) {
    int32_t* fields[] = {&box.dimX, &box.dimY, &box.dimZ, &box.posX, &box.posY, &box.posZ};
    return *fields[k];
}

// Reads the 7 x count numbers, six a box in boxes then extra, again seven a box: the seventh
// is the box's fragility. Box k's numbers come from 7k on and go to 6k on, so reading forward
// never meets a number already written over.
bool takeSeventhNumbers(const std::string& fileName, std::vector<Box>& boxes,
                        const std::vector<int32_t>& extra, Cargo& cargo, std::ostream& out) {
    const int64_t count = static_cast<int64_t>(boxes.size());
    auto number = [&](int64_t i) {
        return i < 6 * count ? fieldOf(boxes[i / 6], i % 6) : extra[i - 6 * count];
    };
    cargo.fragile.resize(boxes.size());
    for (int64_t k = 0; k < count; ++k) {
        int32_t values[7];
        for (int64_t j = 0; j < 7; ++j) values[j] = number(7 * k + j);
        if (values[6] != 0 && values[6] != 1) {
            out << fileName << " : la fragilite de la boite " << k + 1
                << " doit valoir 0 ou 1 : " << values[6] << std::endl;
            return false;
        }
        for (int64_t j = 0; j < 6; ++j) fieldOf(boxes[k], j) = values[j];
        cargo.fragile[k] = static_cast<char>(values[6]);
    }
    return true;
}

// Reads the whole file into layout: the container, the count as written, and max(count, 0)
// boxes. Returns false after writing one line to out.
bool readFile(const std::string& fileName, int64_t maxBoxes, int64_t maxContainerDim,
              Layout& layout, int32_t& count, std::ostream& out) {
    struct stat info {};
    OpenFile file;
    if (!fileName.empty() && ::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        file.fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (file.fd < 0) {
        out << fileName << " introuvable" << std::endl;
        return false;
    }
    auto in = std::make_unique<Input>();
    in->fd = file.fd;
    skipByteOrderMark(*in);
    int first = nextByte(*in);
    while (first >= 0 && isSpace(first)) first = nextByte(*in);
    if (first == '{') {
        // A regular file is read whole, in one go; anything else through the buffer.
        WholeFile whole;
        std::string text;
        if (S_ISREG(info.st_mode) && whole.read(file.fd, info.st_size)) {
            in->pos = 0;  // nothing more is read through the buffer
        } else {
            text += '{';
            do {
                text.append(in->buffer + in->pos, in->end - in->pos);
            } while (refill(*in));
        }
        char* data = whole.size > 0 ? whole.data : text.data();
        const std::size_t size = whole.size > 0 ? whole.size : text.size();
        if (!readJsonLayout(fileName, data, size, maxBoxes, layout, out)) return false;
        count = static_cast<int32_t>(layout.boxes.size());
        return containerFits(fileName, layout.container, maxContainerDim, out);
    }
    if (first >= 0) --in->pos;  // the byte just read starts the first number
    Word word;

    int64_t n = 0;
    Container& container = layout.container;
    int32_t* containerFields[] = {&container.dimX, &container.dimY, &container.dimZ};
    for (int32_t* field : containerFields) {
        if (!readNumber(*in, word, fileName, ++n, *field, out)) return false;
    }
    if (!containerFits(fileName, container, maxContainerDim, out)) return false;

    if (!readNumber(*in, word, fileName, ++n, count, out)) return false;
    if (count > maxBoxes) {
        out << fileName << " : trop de boites (" << count << "), " << maxBoxes << " au maximum"
            << std::endl;
        return false;
    }
    int64_t wanted = std::max<int32_t>(count, 0);
    std::vector<Box>& boxes = layout.boxes;
    // A short file must not reserve room for the count it claims.
    if (S_ISREG(info.st_mode)) {
        boxes.reserve(static_cast<std::size_t>(
            std::min<int64_t>(wanted, static_cast<int64_t>(info.st_size) / kMinBytesPerBox + 1)));
    }
    for (int64_t box = 0; box < wanted; ++box) {
        Box b;
        for (int32_t* field : {&b.dimX, &b.dimY, &b.dimZ, &b.posX, &b.posY, &b.posZ}) {
            if (!readNumber(*in, word, fileName, ++n, *field, out)) return false;
        }
        boxes.push_back(b);
    }
    std::vector<int32_t> extra;
    if (wanted > 0 && readSeventhNumbers(*in, word, wanted, extra)) {
        return takeSeventhNumbers(fileName, boxes, extra, layout.cargo, out);
    }
    return true;
}

}  // namespace

int readLayout(const std::string& fileName, int64_t maxBoxes, Layout& layout, std::ostream& out) {
    Layout loaded;
    int32_t count = 0;
    if (!readFile(fileName, maxBoxes, INT32_MAX, loaded, count, out)) return -1;
    layout = std::move(loaded);
    return 0;
}

int loadScene(std::string fileName, Scene& scene, std::ostream& out) {
    Layout loaded;
    int32_t count = 0;
    if (!readFile(fileName, kMaxBoxes, kMaxContainerDim, loaded, count, out)) return -1;
    // Slots past the new count keep what they held, as the table always has.
    scene.container = loaded.container;
    scene.boxCount = count;
    std::copy(loaded.boxes.begin(), loaded.boxes.end(), scene.boxes + 1);
    scene.cargo = std::move(loaded.cargo);
    return 0;
}

int loadScene(std::string fileName, Scene& scene) {
    return loadScene(std::move(fileName), scene, std::cout);
}

Layout layoutOf(const Scene& scene) {
    Layout layout;
    layout.container = scene.container;
    layout.boxes.assign(scene.boxes + 1, scene.boxes + 1 + boxesInTable(scene.boxCount));
    layout.cargo = scene.cargo;
    return layout;
}
