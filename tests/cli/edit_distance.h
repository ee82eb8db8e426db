// The cost of the cheapest edit of a into b when removing, inserting and
// changing an item each cost one: the table the sequence alignment is
// checked against wherever it calls itself exact.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

inline std::size_t EditDistance(const std::vector<std::uint64_t>& a,
                                const std::vector<std::uint64_t>& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}
