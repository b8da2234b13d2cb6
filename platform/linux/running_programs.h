#pragma once
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/linux/kernel_cpu/sysfs_root.h"

namespace pacetta::linux_os {

// The file names of the executables of the processes whose real user is `user`, from
// proc/<pid>/exe under `root`, in process-id order and at most `limit`. A program
// replaced on disk while it runs still counts under its name. Processes that end
// meanwhile, kernel threads and those whose executable may not be read are left out.
std::vector<std::string> RunningProgramNames(const SysfsRoot& root, uid_t user, size_t limit);

}  // namespace pacetta::linux_os
