#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/update_files.h"
#include "updates/tar_reader.h"

namespace pacetta::updates {

// The entries of an update package, or why it was refused.
struct PackageArchive {
  std::vector<TarEntry> entries;  // empty when refused
  std::optional<TarFault> fault;
};

// Inflates and reads a whole gzip-compressed tar archive before anything is written, so
// that a bad entry anywhere refuses the package at once. Besides each entry's own checks,
// no name may appear twice and no file may stand where another entry needs a folder.
PackageArchive ReadPackageArchive(std::span<const uint8_t> compressed,
                                  const TarLimits& limits = {});

// The entries as the platform writes them; views into `entries`, which must outlive them.
std::vector<platform::UnpackItem> UnpackItemsOf(const std::vector<TarEntry>& entries);

}  // namespace pacetta::updates
