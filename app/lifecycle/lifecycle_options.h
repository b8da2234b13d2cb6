#pragma once
#include <string>

namespace pacetta {

// Where the running program keeps what it writes besides the settings.
struct LifecycleOptions {
  // The monitoring log's folder; empty: the program's own folder.
  std::string logFolder;
};

}  // namespace pacetta
