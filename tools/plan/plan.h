// boxview-plan: the printable loading plan of a layout, one PDF page per box in loading order.
#pragma once

#include "tools/common/outcome.h"

#include <iosfwd>
#include <string>
#include <vector>

struct PlanOptions {
    std::string layout;
    std::string output;
    int supportThreshold = -1;  // -1: no support threshold
};

// The whole program, on LAYOUT PLAN.pdf [--support P] or --help: kRefused for bad arguments, a refused layout or a refused output,
// kFailed when the font is missing or the PDF cannot be made. The help asked by --help goes to out;
// the PDF goes to standard output for "-".
Error runPlan(const std::vector<std::string>& args, std::ostream& out);
