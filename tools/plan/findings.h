// What the loading plan says about a layout, in printed French: its totals, what each box rests on and is, and the checker's findings.
#pragma once

#include <string>
#include <vector>

// The plan words its pages with the same numbers (frenchNumber, frenchDimensions).
#include "tools/common/wording.h"

struct Scene;

// Every text is UTF-8 with French typography (accents, ×, non-breaking spaces).
struct PlanFindings {
    std::vector<std::string> summary;   // the first page's lines: container, count, volumes
    std::vector<std::string> problems;  // every finding of the file; empty when none
    std::vector<std::string> restsOn;   // restsOn[n - 1]: what box n rests on; empty when unknown
    std::vector<std::vector<std::string>> boxProblems;  // boxProblems[n - 1]: shown at step n
    // boxCargo[n - 1]: what the file says box n is (label, weight, fragility, the load it bears
    // in the finished load); empty when it says nothing.
    std::vector<std::vector<std::string>> boxCargo;
};

// Runs the layout checker on the scene and words its report for the plan. Each box is
// judged as it stands at its own step (the checker's loading order): a box resting on a
// later box is flagged there, and an overlap at the step of the later of its two boxes.
// supportThreshold is the minimum supported percentage (-1: no such check).
PlanFindings findPlanFindings(const Scene& scene, int supportThreshold);
