#pragma once
// The simulated PC's register trace, read back by the tests.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pacetta::testing {

// Every access of the trace file at `path`, in order, as its tab-separated columns
// (column 1 the processor, 2 the kind such as "msr-write", 3 the register, 4 the width,
// 5 the value, 6 the result); comment lines are left out.
inline std::vector<std::vector<std::string>> ReadTraceRows(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream trace(path);
  for (std::string line; std::getline(trace, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream columns(line);
    for (std::string field; std::getline(columns, field, '\t');) fields.push_back(field);
    rows.push_back(std::move(fields));
  }
  return rows;
}

}  // namespace pacetta::testing
