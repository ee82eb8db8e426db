// Keeps a value alive past the optimiser, so that the reads that produced it
// stay in the program where ASan can check them.
#pragma once

#include <cstdint>

inline void KeepValue(std::uint64_t value) { asm volatile("" : : "r"(value)); }
