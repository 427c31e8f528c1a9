// What the two searches for the pairs of boxes that meet share: handing the pairs over in batches, comparing two boxes, sorting by a key; only they include it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/extent.h"
#include "analysis/pair_search.h"

namespace analysis {

// ---- The batch ----

constexpr std::size_t kBatchSize = 256;

// The pairs found and not yet handed to the sink. The sink is called only
// when the batch is full, or at a check when the pairs held back could have
// filled it, so that the search stops at the same check as if each pair had
// been handed over as soon as it was found.
struct Batch {
    const PairSink& sink;
    std::size_t room = 0;  // as the sink last said
    std::size_t held = 0;
    uint64_t found = 0;  // every pair found, handed over or not
    MetPair pairs[kBatchSize] = {};
};

inline void handOver(Batch& batch) {
    batch.room = batch.sink.take(batch.sink.context, batch.pairs, batch.held);
    batch.held = 0;
}

inline void add(Batch& batch, const MetPair& pair) {
    batch.pairs[batch.held++] = pair;
    ++batch.found;
    if (batch.held == kBatchSize) handOver(batch);
}

// True once the sink is full: the search stops there.
inline bool full(Batch& batch) {
    if (batch.held >= batch.room) handOver(batch);
    return batch.room == 0;
}

// ---- Comparing two boxes ----

// Compares box a with box b directly.
inline void comparePair(Batch& batch, uint32_t a, uint32_t b, const Extent3& ea,
                        const Extent3& eb) {
    Rect common;
    if (!footprintOverlap(ea, eb, common)) return;
    const int64_t z0 = std::max(ea.axes[2].low, eb.axes[2].low);
    const int64_t z1 = std::min(ea.axes[2].high, eb.axes[2].high);
    if (z1 < z0) return;
    add(batch, MetPair{common.x1 - common.x0, common.y1 - common.y0, z1 - z0, a, b,
                       ea.axes[2].high == eb.axes[2].low});
}

// ---- Sorting ----

inline int bitsOf(uint64_t value) {
    int bits = 0;
    while (value >> bits) ++bits;
    return bits;
}

// Sorts the count items stably by key(item), a number below 2^bits: a radix
// sort, least significant digit first, on digits of 12 bits, through spare.
// True when the items end up in spare.
template <typename T, typename Key>
bool radixSort(T* items, std::size_t count, T* spare, int bits, Key key) {
    constexpr uint64_t kDigits = 1 << 12;
    std::vector<uint32_t> counts(kDigits + 1);
    bool inSpare = false;
    for (int shift = 0; shift < bits; shift += 12) {
        std::fill(counts.begin(), counts.end(), 0);
        for (T* item = items; item != items + count; ++item)
            ++counts[((key(*item) >> shift) & (kDigits - 1)) + 1];
        for (std::size_t d = 1; d < counts.size(); ++d) counts[d] += counts[d - 1];
        for (T* item = items; item != items + count; ++item)
            spare[counts[(key(*item) >> shift) & (kDigits - 1)]++] = *item;
        std::swap(items, spare);
        inSpare = !inSpare;
    }
    return inSpare;
}

template <typename T, typename Key>
void radixSort(std::vector<T>& items, int bits, Key key) {
    std::vector<T> spare(items.size());
    if (radixSort(items.data(), items.size(), spare.data(), bits, key)) items.swap(spare);
}

// The search through a segment tree, which takes over when the sweep through
// the grid's cells gives up (see pair_tree.cpp). members: the boxes with no
// dimension of 0.
void searchTree(const std::vector<Box>& boxes, const std::vector<uint32_t>& members, Batch& batch);

}  // namespace analysis
