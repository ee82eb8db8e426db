// Anchors for aligning long, much-changed stretches: items that occur once in
// each sequence's stretch, in an order both sequences agree on (the patience
// method), so that large insertions or moves cannot throw the rest of the
// alignment off.
#pragma once

#include <vector>

#include "cli/sequence_diff_search.h"

namespace sequence_diff {

struct Anchor {
    Index a = 0;
    Index b = 0;
};

// Increasing in both a and b. In a long stretch only a fixed share of the
// items (chosen by their value) is considered, which keeps the memory a
// small fraction of the sequences'.
std::vector<Anchor> UniqueAnchors(Items a, Items b, const Region& region);

}  // namespace sequence_diff
