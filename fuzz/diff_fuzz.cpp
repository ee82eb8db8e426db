// lumikor-cli diff --json on two jobs made from one input (the second a copy
// of the first with a stretch replaced), and the sequence alignment behind
// it on sequences of few distinct values made from the same bytes. The
// counts must fit the item counts (each side's unmatched items are its
// changed ones plus its removed or inserted ones), and an alignment that
// calls itself exact must cost what a plain edit distance table says.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/diff_command.h"
#include "cli/sequence_diff.h"
#include "fuzz/scratch_file.h"
#include "tests/cli/edit_distance.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Require(bool condition) {
    if (!condition) std::abort();
}

struct Pair {
    Bytes a;
    Bytes b;
};

// Input: two 16-bit numbers, then bytes whose first half is job A and
// whose second half replaces A's stretch [p, q) to make job B.
Pair Split(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return {};
    const std::size_t first = (std::size_t{data[0]} << 8) | data[1];
    const std::size_t second = (std::size_t{data[2]} << 8) | data[3];
    const std::uint8_t* rest = data + 4;
    const std::size_t half = (size - 4) / 2;
    Pair pair;
    pair.a.assign(rest, rest + half);
    const std::size_t p = first % (half + 1);
    const std::size_t q = p + second % (half - p + 1);
    pair.b.assign(pair.a.begin(), pair.a.begin() + static_cast<std::ptrdiff_t>(p));
    pair.b.insert(pair.b.end(), rest + half, data + size);
    pair.b.insert(pair.b.end(), pair.a.begin() + static_cast<std::ptrdiff_t>(q), pair.a.end());
    return pair;
}

void CheckCounts(std::uint64_t itemsA, std::uint64_t itemsB, std::uint64_t prefix,
                 std::uint64_t changed, std::uint64_t inserted, std::uint64_t removed) {
    Require(prefix <= itemsA && prefix <= itemsB);
    Require(changed + removed <= itemsA - prefix);
    Require(changed + inserted <= itemsB - prefix);
    Require(itemsA - removed == itemsB - inserted);
}

void CheckCommand(const Pair& pair) {
    static ScratchFile fileA;
    static ScratchFile fileB;
    DiffOptions options;
    options.pathA = fileA.Rewrite(pair.a.data(), pair.a.size());
    options.pathB = fileB.Rewrite(pair.b.data(), pair.b.size());
    options.json = true;
    // A bed a few pixels high: the pictures' comparison visits every bed
    // pixel, and the counts, not the pictures, are what this target is for.
    options.models = {"1000,3,100"};
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunDiff(options, out, err);
    Require(status == 0 || status == 1);
    const nlohmann::json result = nlohmann::json::parse(out.str(), nullptr, false);
    Require(!result.is_discarded() && result.is_object());
    Require((status == 0) == result.at("identical").get<bool>());
    const nlohmann::json& streams = result.at("streams");
    const auto itemsA = streams.at("itemsA").get<std::uint64_t>();
    const auto itemsB = streams.at("itemsB").get<std::uint64_t>();
    if (streams.at("identical").get<bool>()) {
        Require(itemsA == itemsB);
        return;
    }
    Require(pair.a != pair.b);
    const auto changed = streams.at("changed").get<std::uint64_t>();
    const auto inserted = streams.at("inserted").get<std::uint64_t>();
    const auto removed = streams.at("removed").get<std::uint64_t>();
    Require(changed + inserted + removed > 0);
    CheckCounts(itemsA, itemsB, streams.at("first").at("item").get<std::uint64_t>(), changed,
                inserted, removed);
}

// The bytes as values from an alphabet of 1 to 8, and an exact search of a
// cost from 1 to 16, so that both the exact search and what takes over
// beyond it are reached by short inputs.
void CheckAlignment(const Pair& pair, std::uint8_t shape) {
    const std::uint64_t alphabet = 1 + (shape & 7);
    const auto values = [alphabet](const Bytes& bytes) {
        std::vector<std::uint64_t> v(bytes.begin(), bytes.end());
        for (auto& x : v) x %= alphabet;
        return v;
    };
    const std::vector<std::uint64_t> a = values(pair.a);
    const std::vector<std::uint64_t> b = values(pair.b);
    const SequenceDiff d = DiffSequences(a, b, 1 + (shape >> 4));
    Require(d.Identical() == (a == b));
    CheckCounts(a.size(), b.size(), d.commonPrefix, d.changed, d.inserted, d.removed);
    if (d.exact && a.size() * b.size() <= 1'000'000) {
        Require(d.changed + d.inserted + d.removed == EditDistance(a, b));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Pair pair = Split(data, size);
    CheckCommand(pair);
    CheckAlignment(pair, size > 0 ? data[0] : 0);
    return 0;
}
