// The program's icon, drawn in code so that it exists at any size without an
// image file in the tree: a laser head on its rail, firing onto a bed grid.
#pragma once

#include <cstdint>
#include <vector>

// size x size pixels, row by row from the top, each 0xAARRGGBB (straight
// alpha). An empty vector for a size below 1 or above 1024.
std::vector<std::uint32_t> DrawAppIcon(std::int32_t size);
