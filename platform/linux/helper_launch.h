#pragma once
#include <chrono>
#include <string>
#include <vector>

namespace pacetta::linux_os {

// Starts the helper program `binary` detached from this process (it leaves the process
// group and is not this process's child once it runs) and waits until it reports that
// it listens, at most `timeout`. Its standard input, output and error are /dev/null. False
// when it could not be started or did not come up.
bool LaunchHelper(const std::string& binary, const std::string& socketPath,
                  const std::vector<std::string>& arguments, std::chrono::milliseconds timeout);

}  // namespace pacetta::linux_os
