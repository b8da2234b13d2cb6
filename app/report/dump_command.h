#pragma once
#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace pacetta {

// `--dump=FILE`: identifies every processor of the platform without a window or the
// single-instance lock and writes the diagnostic dump to `path`. Without the driver the
// registers show as unreadable (a note says so). Returns 0 when the file was written;
// otherwise one line on `errors` names the path and the reason, and the result is 1.
int RunDumpCommand(platform::Platform& platform, const std::string& path, std::FILE* errors);

}  // namespace pacetta
