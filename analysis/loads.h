// What the boxes are, judged once their contacts are known: fragility, weights, loads and centre of gravity.
#pragma once

#include "analysis/check.h"

namespace analysis {

// Fills report.fragility and report.weight from the layout's cargo and the contacts that
// checkLayout found (report.supports and report.restsOn; none when the search was cut).
void judgeCargo(const Layout& layout, LayoutReport& report);

}  // namespace analysis
