#include "updates/package_archive.h"

#include <map>

#include "updates/gzip_inflater.h"

namespace pacetta::updates {
namespace {

// Tracks what each name is, given or implied by a deeper name, to find clashes.
class NameClashes {
 public:
  // False when `entry` repeats a name or puts a file where a folder must be.
  bool Add(const TarEntry& entry) {
    const bool folder = entry.type == TarEntryType::kFolder;
    for (size_t slash = entry.name.find('/'); slash != std::string::npos;
         slash = entry.name.find('/', slash + 1)) {
      if (!Put(entry.name.substr(0, slash), true, true)) return false;
    }
    // A folder may be named after something deeper implied it; nothing else may repeat.
    return Put(entry.name, folder, folder);
  }

 private:
  bool Put(const std::string& name, bool folder, bool mayRepeat) {
    const auto [at, inserted] = kinds_.emplace(name, folder);
    return inserted || (mayRepeat && at->second);
  }

  std::map<std::string, bool> kinds_;  // name -> is a folder
};

}  // namespace

PackageArchive ReadPackageArchive(std::span<const uint8_t> compressed, const TarLimits& limits) {
  GzipInflater inflater(compressed);
  TarReader reader([&inflater](std::span<uint8_t> buffer) { return inflater.Read(buffer); },
                   limits);
  PackageArchive archive;
  NameClashes clashes;
  while (std::optional<TarEntry> entry = reader.Next()) {
    if (!clashes.Add(*entry)) {
      archive.fault = TarFault{TarProblem::kDuplicateName, entry->name, ""};
      break;
    }
    archive.entries.push_back(std::move(*entry));
  }
  if (!archive.fault) archive.fault = reader.Fault();
  if (archive.fault) {
    if (archive.fault->problem == TarProblem::kBadCompression) {
      archive.fault->detail = inflater.Problem();
    }
    archive.entries.clear();
  }
  return archive;
}

std::vector<platform::UnpackItem> UnpackItemsOf(const std::vector<TarEntry>& entries) {
  std::vector<platform::UnpackItem> items;
  items.reserve(entries.size());
  for (const TarEntry& entry : entries) {
    items.push_back(
        {entry.name, entry.type == TarEntryType::kFolder, entry.Executable(), entry.data});
  }
  return items;
}

}  // namespace pacetta::updates
