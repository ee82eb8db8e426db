// Text from a job, a settings file or the command line, made safe to print:
// a name that holds control characters must not clear the screen, retitle
// the terminal or forge lines of the report around it.
#pragma once

#include <string>
#include <string_view>

// The UTF-8 text as it is, except that control characters (below U+0020,
// U+007F and U+0080 to U+009F) print as \xNN with their code, and bytes that
// are not part of valid UTF-8 print as \xNN with the byte.
std::string TerminalText(std::string_view utf8);

// The same line by line: line feeds stay, to end the lines they end.
std::string TerminalLines(std::string_view utf8);
