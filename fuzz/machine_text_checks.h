// What the machine file readers promise about their errors and notices.
#pragma once
#include <string>
#include <string_view>

#include "platform/sim/machine/machine_file_error.h"

namespace pacetta::fuzz {

// The error names `file` and a line within `text` (0: the file as a whole), and prints
// as one line.
void CheckMachineFileError(const sim::MachineFileError& error, const std::string& file,
                           std::string_view text);

// A notice or listing text stays on one line.
void CheckOneLine(std::string_view text);

}  // namespace pacetta::fuzz
