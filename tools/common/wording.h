// The words and numbers that the checker's report and the loading plan both print: volumes, percentages, sides and French numbers.
#pragma once

#include <string>

#include "analysis/check.h"

// The no-break space of printed French, in UTF-8: between groups of digits and before a unit.
inline constexpr char kNoBreak[] = "\u00a0";

// The exact decimal digits of a volume, grouped by three with groupSeparator
// when there is one: "12000", or "12 000" with kNoBreak.
std::string volumeText(Volume volume, const char* groupSeparator = "");

// A percentage with at most two decimals and no trailing zeros, without the
// sign: "40", "40.5", "74.99", or "72,5" with the decimal mark ','.
std::string percentText(double percent, char decimalMark = '.');

// "min" or "max".
const char* sideName(Side side);

// A number with a decimal comma and the given decimals ("72,5"), digits grouped by three.
std::string frenchNumber(double value, int decimals);

// Three whole lengths as printed: "1 200 × 235 × 269".
std::string frenchDimensions(double x, double y, double z);

// The text as valid UTF-8: each broken sequence becomes one U+FFFD, and the byte that broke it
// is read again as the start of what follows (a file name may hold any bytes).
std::string validUtf8(const std::string& text);
