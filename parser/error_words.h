// The error bits of a parse in words, as every report of this program says
// them (the command-line inspector, the window's status line).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One phrase per error bit that is set, lowest bit first.
std::vector<std::string> ErrorBitWords(std::uint32_t errorFlags);
