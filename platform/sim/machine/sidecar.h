#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/machine.h"
#include "platform/sim/machine/machine_file_error.h"

namespace pacetta::sim {

// Applies a machine file's sidecar (JSON; the keys are described in docs/machine-files.md)
// to the machine read from the file. Every key the sidecar may hold is one this reader
// implements; any other key, a value of the wrong type or out of range, and a BIOS area
// file that cannot be read are errors naming the sidecar and the line. On error the
// machine is left unchanged.
std::optional<MachineFileError> ApplySidecar(std::string_view json, const std::string& sidecarPath,
                                             MachineSpec& machine);

}  // namespace pacetta::sim
