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
// The items are counted once for every digit, and a digit that they all share
// is passed over. True when the items end up in spare.
template <typename T, typename Key>
bool radixSort(T* items, std::size_t count, T* spare, int bits, Key key) {
    constexpr int kDigitBits = 12;
    constexpr uint64_t kDigits = uint64_t{1} << kDigitBits;
    const int passes = count == 0 ? 0 : (bits + kDigitBits - 1) / kDigitBits;
    std::vector<uint32_t> counts(passes * kDigits);
    for (T* item = items; item != items + count; ++item) {
        const uint64_t k = key(*item);
        for (int pass = 0; pass < passes; ++pass)
            ++counts[pass * kDigits + ((k >> (pass * kDigitBits)) & (kDigits - 1))];
    }
    bool inSpare = false;
    for (int pass = 0; pass < passes; ++pass) {
        const int shift = pass * kDigitBits;
        uint32_t* const next = &counts[pass * kDigits];  // where each digit's items go
        if (next[(key(*items) >> shift) & (kDigits - 1)] == count) continue;
        uint32_t sum = 0;
        for (uint64_t d = 0; d < kDigits; ++d) {
            const uint32_t inDigit = next[d];
            next[d] = sum;
            sum += inDigit;
        }
        for (T* item = items; item != items + count; ++item)
            spare[next[(key(*item) >> shift) & (kDigits - 1)]++] = *item;
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
// dimension of 0, within bounds.
void searchTree(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
                const Extent3& bounds, Batch& batch);

}  // namespace analysis
