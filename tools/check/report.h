// The checker's findings in words: the French text report and the JSON line.
#pragma once

#include <iosfwd>
#include <string>

#include "analysis/check.h"

// The French report for one file, one finding a line, each line ended by '\n'.
std::string formatText(const std::string& fileName, const LayoutReport& report);

// The report for one file as a single JSON object, without the line end.
std::string formatJson(const std::string& fileName, const LayoutReport& report);

// The same two written straight to a stream, since the report of a million
// boxes can be as large as the layout. writeText leaves the stream printing
// floating-point numbers fixed, with two decimals.
void writeText(std::ostream& text, const std::string& fileName, const LayoutReport& report);
void writeJson(std::ostream& json, const std::string& fileName, const LayoutReport& report);
