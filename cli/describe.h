// Words for what the parser found, shared by the subcommands.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "parser/error_words.h"
#include "parser/hook_observer.h"
#include "parser/job_warnings.h"

// "ESC", "G" or "P".
std::string PrefixName(std::uint8_t prefix);

// "ESC 'N'", "G 'R'", "P 'A'"; letters that are not printable as "ESC 0x05".
std::string CommandName(std::uint8_t prefix, std::uint8_t letter);

// One sentence for a warning, naming its offset and the bytes concerned.
std::string WarningWords(const JobWarning& warning);
// "lumikor-cli: warning: 'PATH': ..." on err, one line per warning.
void WriteWarnings(const std::string& path, const std::vector<JobWarning>& warnings,
                   std::ostream& err);
// Its kind as a JSON word: "cutShort", "rasterBlockPastEnd", ...
const char* WarningKindName(JobWarningKind kind);

// The ESC 'F' name: the bytes up to the zero byte, read as Latin-1.
std::string FileNameUtf8(const ParserState& state);

std::string Latin1ToUtf8(std::string_view latin1);
