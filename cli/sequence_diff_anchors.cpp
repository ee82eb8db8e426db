#include "cli/sequence_diff_anchors.h"

#include <algorithm>
#include <cstdint>

namespace sequence_diff {
namespace {

// A value's place in the table and whether it is sampled, from two
// independent parts of one mix of it.
std::uint64_t Mix(std::uint64_t value) { return (value ^ (value >> 31)) * 0x9E3779B97F4A7C15u; }

// Per value seen in a: where it is in a and in b (plus one; 0 none), with
// the top bit set once it is seen a second time on that side.
struct Slot {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
};
constexpr std::uint32_t kRepeated = 0x80000000u;
constexpr Index kLargestRegion = 0x7FFFFFF0;

class UniquenessTable {
public:
    UniquenessTable(Items a, Index a0, Index count, int sampleBits)
        : m_a(a), m_a0(a0), m_sampleBits(sampleBits) {
        std::size_t slots = 16;
        while (slots < 2 * static_cast<std::size_t>(count >> sampleBits) + 16) slots *= 2;
        m_slots.resize(slots);
        m_mask = slots - 1;
        m_capacity = slots / 4 * 3;
    }

    bool Sampled(std::uint64_t value) const {
        return m_sampleBits == 0 || (Mix(value) >> (64 - m_sampleBits)) == 0;
    }

    // The value's slot, or nullptr; with insert, a free slot is taken for it
    // while the table has room.
    Slot* Find(std::uint64_t value, bool insert) {
        for (std::size_t i = Mix(value) & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (slot.a == 0) {
                if (!insert || m_used >= m_capacity) return nullptr;
                ++m_used;
                return &slot;
            }
            if (m_a[static_cast<std::size_t>(m_a0 + (slot.a & ~kRepeated) - 1)] == value) {
                return &slot;
            }
        }
    }

private:
    Items m_a;
    Index m_a0;
    int m_sampleBits;
    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
};

void Note(std::uint32_t& seen, Index position) {
    seen = seen == 0 ? static_cast<std::uint32_t>(position + 1) : seen | kRepeated;
}

// The longest run of pairs (in a's order) whose b also increases.
std::vector<Anchor> LongestIncreasing(const std::vector<Anchor>& pairs) {
    std::vector<std::uint32_t> tails;  // per length, the pair ending it with the lowest b
    std::vector<std::uint32_t> previous(pairs.size());
    for (std::uint32_t i = 0; i < pairs.size(); ++i) {
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), pairs[i].b,
                             [&](std::uint32_t tail, Index b) { return pairs[tail].b < b; });
        previous[i] = at == tails.begin() ? i : *(at - 1);
        if (at == tails.end()) {
            tails.push_back(i);
        } else {
            *at = i;
        }
    }
    std::vector<Anchor> chain(tails.size());
    if (tails.empty()) return chain;
    std::uint32_t i = tails.back();
    for (std::size_t n = chain.size(); n > 0; --n) {
        chain[n - 1] = pairs[i];
        i = previous[i];
    }
    return chain;
}

}  // namespace

std::vector<Anchor> UniqueAnchors(Items a, Items b, const Region& region) {
    if (region.SizeA() > kLargestRegion || region.SizeB() > kLargestRegion) return {};
    // One value in 16 in long stretches: anchors need not be dense.
    const int sampleBits = region.SizeA() + region.SizeB() > 4096 ? 4 : 0;
    std::vector<Anchor> pairs;
    {
        UniquenessTable table(a, region.a0, region.SizeA(), sampleBits);
        for (Index i = 0; i < region.SizeA(); ++i) {
            const std::uint64_t value = a[static_cast<std::size_t>(region.a0 + i)];
            if (!table.Sampled(value)) continue;
            if (Slot* slot = table.Find(value, true)) Note(slot->a, i);
        }
        for (Index j = 0; j < region.SizeB(); ++j) {
            const std::uint64_t value = b[static_cast<std::size_t>(region.b0 + j)];
            if (!table.Sampled(value)) continue;
            if (Slot* slot = table.Find(value, false)) Note(slot->b, j);
        }
        for (Index i = 0; i < region.SizeA(); ++i) {
            const std::uint64_t value = a[static_cast<std::size_t>(region.a0 + i)];
            if (!table.Sampled(value)) continue;
            const Slot* slot = table.Find(value, false);
            if (slot == nullptr || ((slot->a | slot->b) & kRepeated) != 0 || slot->b == 0) {
                continue;
            }
            pairs.push_back(Anchor{region.a0 + i, region.b0 + slot->b - 1});
        }
    }
    return LongestIncreasing(pairs);
}

}  // namespace sequence_diff
