// Reading numbers out of text the way the C library's atoi does, minus its
// undefined behaviour: leading white space, an optional sign, then decimal
// digits up to the first non-digit. Text without digits reads as 0, and a
// value beyond the 32-bit range saturates instead of overflowing.
#pragma once

#include <cstdint>
#include <string_view>

std::int32_t ParseLeadingInt(std::string_view text);

// An edit box's text holds at most this many characters when read as a
// number; anything after them is ignored.
inline constexpr std::size_t kWindowTextLimit = 255;

// The number in an edit box's text (UTF-8). Only the first kWindowTextLimit
// characters count. Only ASCII can form a number, so cutting bytes here
// gives the same result as cutting characters.
std::int32_t WindowTextToInt(std::string_view text);
