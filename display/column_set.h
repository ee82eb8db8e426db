// ColumnSet: which canvas columns of the raster row being gathered already
// have something to plot. One bit per column, so that a line can ask in a
// few word operations whether any column it reaches is still open, and skip
// the columns (often all of them) that nothing can change any more.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

class ColumnSet {
public:
    // Makes room for columns 0 to columns - 1, all unmarked. Returns false,
    // changing nothing, when the memory cannot be had.
    bool Resize(std::int32_t columns) {
        const std::size_t words = WordCount(columns);
        std::unique_ptr<std::uint64_t[]> bits(new (std::nothrow) std::uint64_t[words]());
        if (!bits) return false;
        m_bits = std::move(bits);
        m_words = words;
        return true;
    }

    void Clear() {
        if (m_bits) std::memset(m_bits.get(), 0, m_words * sizeof(std::uint64_t));
    }

    // Takes the marks of a set made for the same number of columns.
    void CopyFrom(const ColumnSet& other) {
        if (m_bits) std::memcpy(m_bits.get(), other.m_bits.get(), m_words * sizeof(std::uint64_t));
    }

    void Mark(std::int32_t column) { m_bits[Word(column)] |= Bit(column); }

    // The first unmarked column in [first, end), or end if there is none.
    std::int32_t NextUnmarked(std::int32_t first, std::int32_t end) const {
        return NextWith(~std::uint64_t{0}, first, end);
    }
    // The first marked column in [first, end), or end if there is none.
    std::int32_t NextMarked(std::int32_t first, std::int32_t end) const {
        return NextWith(0, first, end);
    }

    // The last unmarked column in [first, end), or first - 1 if there is none.
    std::int32_t LastUnmarked(std::int32_t first, std::int32_t end) const {
        for (std::int32_t last = end - 1; last >= first;) {
            const std::int32_t word = last >> 6;
            const std::uint64_t open = ~m_bits[word] << (63 - (last & 63));
            if (open != 0) return std::max(first - 1, last - std::countl_zero(open));
            last = (word << 6) - 1;
        }
        return first - 1;
    }

    // Calls visit(column) for every marked column below end, in order.
    template <typename Visit>
    void ForEachMarked(std::int32_t end, Visit visit) const {
        for (std::int32_t word = 0; (word << 6) < end; ++word) {
            for (std::uint64_t bits = m_bits[word]; bits != 0; bits &= bits - 1) {
                const std::int32_t column = (word << 6) + std::countr_zero(bits);
                if (column >= end) return;
                visit(column);
            }
        }
    }

private:
    // The first column in [first, end) whose bit, flipped by flip, is set.
    std::int32_t NextWith(std::uint64_t flip, std::int32_t first, std::int32_t end) const {
        for (std::int32_t word = first >> 6; first < end; ++word, first = word << 6) {
            const std::uint64_t found = (m_bits[word] ^ flip) >> (first & 63);
            if (found != 0) return std::min(end, first + std::countr_zero(found));
        }
        return end;
    }

    static std::size_t WordCount(std::int32_t columns) {
        return (static_cast<std::size_t>(columns) + 63) / 64;
    }
    static std::size_t Word(std::int32_t column) { return static_cast<std::size_t>(column) >> 6; }
    static std::uint64_t Bit(std::int32_t column) { return std::uint64_t{1} << (column & 63); }

    std::unique_ptr<std::uint64_t[]> m_bits;
    std::size_t m_words = 0;
};
