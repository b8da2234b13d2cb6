#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace pacetta::sim {

// A data file of platform/sim/catalogue/data, compiled into the program.
struct EmbeddedFile {
  const char* name;  // file name without folder
  const unsigned char* data;
  size_t size;
};

// Every embedded file, ordered by name (defined in the source the build generates).
std::span<const EmbeddedFile> EmbeddedCatalogueFiles();

std::optional<std::string_view> FindEmbeddedCatalogueFile(std::string_view name);

}  // namespace pacetta::sim
