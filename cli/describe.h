// Words for what the parser found, shared by the subcommands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "parser/error_words.h"
#include "parser/hook_observer.h"

// "ESC 'N'", "G 'R'", "P 'A'"; letters that are not printable as "ESC 0x05".
std::string CommandName(std::uint8_t prefix, std::uint8_t letter);

// The ESC 'F' name: the bytes up to the zero byte, read as Latin-1.
std::string FileNameUtf8(const ParserState& state);

std::string Latin1ToUtf8(std::string_view latin1);
