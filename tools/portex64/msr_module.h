#pragma once
#include "tools/portex64/helper_options.h"

namespace pacetta::portex {

// Loads the msr kernel module when the real register files are missing and this process
// runs as root. Does nothing for a fake device tree.
void EnsureMsrModule(const HelperOptions& options);

}  // namespace pacetta::portex
