#pragma once
#include <span>
#include <string>

#include "platform/update_files.h"

namespace pacetta::linux_os {

// Writes `items` into the open folder `folder`, everything relative to its descriptor:
// folders are entered with O_NOFOLLOW and files created with O_EXCL|O_NOFOLLOW, so a link
// or file already there is never followed or overwritten. Files get mode 0644, or 0755
// when executable, and are flushed to disk. False with `detail` set at the first failure.
bool WriteItems(int folder, std::span<const platform::UnpackItem> items, std::string& detail);

// Clears `folder`, creating it when missing, and writes `items` into it; on failure the
// folder is removed again.
bool UnpackInto(const std::string& folder, std::span<const platform::UnpackItem> items,
                std::string& detail);

}  // namespace pacetta::linux_os
