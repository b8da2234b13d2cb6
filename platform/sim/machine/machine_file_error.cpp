#include "platform/sim/machine/machine_file_error.h"

namespace pacetta::sim {

std::string MachineFileError::ToString() const {
  std::string text =
      file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + message;
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return text;
}

}  // namespace pacetta::sim
