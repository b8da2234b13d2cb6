#include "updates/pax_records.h"

#include <charconv>

namespace pacetta::updates {
namespace {

bool Refuse(TarFault& fault, TarProblem problem, std::string detail) {
  fault = {problem, "", std::move(detail)};
  return false;
}

}  // namespace

bool ParsePaxRecords(std::string_view data, PaxOverrides& overrides, TarFault& fault) {
  while (!data.empty()) {
    // The length counts the whole record: its own digits, the space and the newline.
    size_t length = 0;
    const auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), length);
    const size_t digits = static_cast<size_t>(end - data.data());
    if (error != std::errc() || digits == 0 || length <= digits + 1 || length > data.size() ||
        data[digits] != ' ' || data[length - 1] != '\n') {
      return Refuse(fault, TarProblem::kBadExtendedHeader, "malformed pax record");
    }
    const std::string_view record = data.substr(digits + 1, length - digits - 2);
    data.remove_prefix(length);
    const size_t equals = record.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      return Refuse(fault, TarProblem::kBadExtendedHeader, "pax record without a keyword");
    }
    const std::string_view keyword = record.substr(0, equals);
    const std::string_view value = record.substr(equals + 1);
    if (keyword == "path") {
      overrides.path = std::string(value);
    } else if (keyword == "size") {
      uint64_t size = 0;
      const auto [sizeEnd, sizeError] =
          std::from_chars(value.data(), value.data() + value.size(), size);
      if (sizeError == std::errc::result_out_of_range) {
        return Refuse(fault, TarProblem::kSizeOverflow, "pax size");
      }
      if (sizeError != std::errc() || sizeEnd != value.data() + value.size()) {
        return Refuse(fault, TarProblem::kBadNumber, "pax size");
      }
      overrides.size = size;
    }
  }
  return true;
}

}  // namespace pacetta::updates
