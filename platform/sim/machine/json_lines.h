#pragma once
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "platform/sim/machine/machine_file_error.h"

namespace pacetta::sim {

// A JSON document together with the line on which each of its values starts, so that a
// reader can name the line of a value it refuses.
struct LinedJson {
  nlohmann::json document;
  // JSON pointer ("/pciDevices/0/bus") -> line of the member's key or the array element.
  std::map<std::string, int> lines;

  // The line of the value at `pointer`, or of its nearest enclosing value.
  int LineOf(std::string pointer) const;
};

// Appends one reference token to a JSON pointer, escaping '~' and '/' (RFC 6901).
std::string ChildPointer(const std::string& parent, std::string_view token);

// Parses strict JSON (no comments). A syntax error and a key that appears twice in one
// object are errors naming their line.
Parsed<LinedJson> ParseJsonWithLines(std::string_view text, const std::string& fileName);

}  // namespace pacetta::sim
