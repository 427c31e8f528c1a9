// The words and numbers that the checker's report and the loading plan both print, each written once.
#include "tools/common/wording.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

// Digits grouped by three with separator between the groups.
std::string grouped(const std::string& digits, const char* separator) {
    const std::size_t first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    std::string out = digits.substr(0, first);
    for (std::size_t i = first; i < digits.size(); i += 3) out += separator + digits.substr(i, 3);
    return out;
}

// The number of continuation bytes a UTF-8 sequence starting with lead needs,
// and the range its first continuation byte must fall in (no overlong forms,
// no surrogates, nothing above U+10FFFF); -1 for a byte that cannot start one.
int sequenceLength(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead < 0x80) return 0;
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
        return 3;
    }
    return -1;
}

}  // namespace

std::string volumeText(Volume volume, const char* groupSeparator) {
    std::string digits;
    do {
        digits.push_back(static_cast<char>('0' + static_cast<int>(volume % 10)));
        volume /= 10;
    } while (volume != 0);
    std::reverse(digits.begin(), digits.end());
    return *groupSeparator ? grouped(digits, groupSeparator) : digits;
}

std::string percentText(double percent, char decimalMark) {
    auto hundredths = static_cast<uint64_t>(percent * 100.0 + 0.5);
    std::string text = std::to_string(hundredths / 100);
    if (hundredths % 100 != 0) {
        text += decimalMark;
        text += static_cast<char>('0' + hundredths % 100 / 10);
        if (hundredths % 10 != 0) text += static_cast<char>('0' + hundredths % 10);
    }
    return text;
}

const char* sideName(Side side) { return side == Side::kMin ? "min" : "max"; }

std::string frenchNumber(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(value));
    std::string text = buffer;
    const std::size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    const bool negative = value < 0 && std::stod(text) != 0;
    std::string result = (negative ? "−" : "") + grouped(whole, kNoBreak);
    if (dot != std::string::npos) result += "," + text.substr(dot + 1);
    return result;
}

std::string frenchDimensions(double x, double y, double z) {
    return frenchNumber(x, 0) + " × " + frenchNumber(y, 0) + " × " + frenchNumber(z, 0);
}

std::string validUtf8(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char low, high;
        const int length = sequenceLength(static_cast<unsigned char>(text[i]), low, high);
        // A byte that cannot start a sequence (length -1) never reads as whole.
        std::size_t end = i + 1;
        for (int k = 0; k < length && end < text.size(); ++k, ++end) {
            const auto next = static_cast<unsigned char>(text[end]);
            if (next < (k == 0 ? low : 0x80) || next > (k == 0 ? high : 0xBF)) break;
        }
        if (length >= 0 && end == i + 1 + static_cast<std::size_t>(length)) {
            out.append(text, i, end - i);
        } else {
            out += "\xEF\xBF\xBD";
        }
        i = end;
    }
    return out;
}
