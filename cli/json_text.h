// JSON output of the subcommands. Paths and names are bytes from the command
// line or a file, not necessarily UTF-8: invalid sequences become U+FFFD
// instead of failing the whole report.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

inline std::string JsonText(const nlohmann::ordered_json& value, int indent = -1) {
    return value.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
