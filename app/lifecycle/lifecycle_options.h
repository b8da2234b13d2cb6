#pragma once
#include <string>

namespace pacetta {

// Where the running program keeps what it writes besides the settings.
struct LifecycleOptions {
  // The monitoring log's folder; empty: the program's own folder.
  std::string logFolder;
  // The update server, HOST[:PORT] ("[ADDRESS]:PORT" for IPv6); empty: the build's.
  std::string updateServer;
};

}  // namespace pacetta
