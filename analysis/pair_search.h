// The search for the pairs of boxes that meet, which hands every pair it finds to a sink and keeps none itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/scene.h"

namespace analysis {

// Two boxes that meet, a and b being indices into the layout's boxes, a != b.
// Their footprints share a rectangle of sides xLength and yLength, and their
// spans in z share height units: 0 when one box stands on the other, and then
// aUnder tells that the top of a is the base of b.
struct MetPair {
    int64_t xLength, yLength, height;
    uint32_t a, b;
    bool aUnder;
};

// Where the search hands the pairs it finds, a batch at a time. take is given
// count pairs (none, to ask only) and returns the room left: a number of pairs
// fewer than which cannot fill the sink, or 0 once it is full, and then the
// search stops at its next check. restart tells the sink to forget all it was
// given, as the search starts again from nothing, and returns the room left.
struct PairSink {
    void* context;
    std::size_t (*take)(void* context, const MetPair* pairs, std::size_t count);
    std::size_t (*restart)(void* context);
};

// Hands sink every pair of members that share some interior or where one
// stands on the other, each pair once, in no particular order, until the sink
// is full. members: the boxes with no dimension of 0.
void findPairs(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
               const PairSink& sink);

}  // namespace analysis
