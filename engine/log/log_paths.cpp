#include "engine/log/log_paths.h"

#include <cstdio>

namespace pacetta {

std::string CurrentLogPath(const std::string& folder) {
  return folder + "/Pacetta.log";
}

std::string ArchivedLogPath(const std::string& folder, unsigned number) {
  char name[32];
  std::snprintf(name, sizeof name, "Pacetta %03u.log", number);
  return folder + "/" + name;
}

}  // namespace pacetta
