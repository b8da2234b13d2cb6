#include "platform/sim/catalogue/embedded_files.h"

namespace pacetta::sim {

std::optional<std::string_view> FindEmbeddedCatalogueFile(std::string_view name) {
  for (const auto& file : EmbeddedCatalogueFiles()) {
    if (name == file.name)
      return std::string_view(reinterpret_cast<const char*>(file.data), file.size);
  }
  return std::nullopt;
}

}  // namespace pacetta::sim
