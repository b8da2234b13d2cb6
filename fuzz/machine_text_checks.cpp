#include "fuzz/machine_text_checks.h"

#include <algorithm>

#include "fuzz/fuzz_support.h"

namespace pacetta::fuzz {

void CheckMachineFileError(const sim::MachineFileError& error, const std::string& file,
                           std::string_view text) {
  // Either line end counts: a reader may take a lone CR as one.
  const auto lines =
      std::count(text.begin(), text.end(), '\n') + std::count(text.begin(), text.end(), '\r') + 1;
  FUZZ_CHECK(error.file == file);
  FUZZ_CHECK(error.line >= 0 && error.line <= lines);
  CheckOneLine(error.ToString());
}

void CheckOneLine(std::string_view text) {
  FUZZ_CHECK(text.find_first_of("\r\n") == std::string_view::npos);
}

}  // namespace pacetta::fuzz
