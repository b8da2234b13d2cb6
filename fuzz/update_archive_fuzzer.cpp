// An update package: a gzip-compressed tar archive (POSIX ustar with pax headers, or GNU
// with long names) read whole as the install reads it, and the install plan of its files
// over a program folder. Input that is not gzip data is compressed first, so that the
// mutations work on the tar headers; gzip input goes in as it is.
#include <zlib.h>

#include <map>
#include <set>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "updates/entry_name.h"
#include "updates/install_plan.h"
#include "updates/package_archive.h"

namespace pacetta::fuzz {
namespace {

using platform::FileAction;
using platform::UpdateFolder;

std::vector<uint8_t> Gzip(std::span<const uint8_t> bytes) {
  z_stream stream{};
  // 15 + 16: a gzip header and trailer around the deflate data.
  FUZZ_CHECK(deflateInit2(&stream, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK);
  std::vector<uint8_t> out(deflateBound(&stream, bytes.size()) + 32);
  stream.next_in = const_cast<Bytef*>(bytes.data());
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  FUZZ_CHECK(deflate(&stream, Z_FINISH) == Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// An accepted entry's name is what NormaliseEntryName makes of it, and its data is its size.
void CheckEntries(const std::vector<updates::TarEntry>& entries) {
  std::set<std::string> names;
  for (const updates::TarEntry& entry : entries) {
    updates::TarProblem problem{};
    const auto again = updates::NormaliseEntryName(entry.name, problem);
    FUZZ_CHECK(again && *again == entry.name && !entry.name.empty());
    FUZZ_CHECK(names.insert(entry.name).second);
    if (entry.type == updates::TarEntryType::kFolder) {
      FUZZ_CHECK(entry.data.empty());
    } else {
      FUZZ_CHECK(entry.data.size() == entry.size);
    }
  }
}

// The listing of the unpacked package: its files, and its folders given or implied.
platform::FolderListing ListingOf(const std::vector<updates::TarEntry>& entries) {
  platform::FolderListing listing;
  std::set<std::string> folders;
  for (const updates::TarEntry& entry : entries) {
    if (entry.type == updates::TarEntryType::kFolder) {
      folders.insert(entry.name);
    } else {
      listing.files.push_back(entry.name);
    }
    for (size_t slash = entry.name.find('/'); slash != std::string::npos;
         slash = entry.name.find('/', slash + 1)) {
      folders.insert(entry.name.substr(0, slash));
    }
  }
  listing.folders.assign(folders.begin(), folders.end());
  return listing;
}

// Both folders as names mapped to "is a folder", to play an install's steps on.
class Folders {
 public:
  Folders(const platform::FolderListing& package, const platform::FolderListing& program) {
    for (const auto& name : package.files) names_[Key(UpdateFolder::kPackage, name)] = false;
    for (const auto& name : package.folders) names_[Key(UpdateFolder::kPackage, name)] = true;
    for (const auto& name : program.files) names_[Key(UpdateFolder::kProgram, name)] = false;
    for (const auto& name : program.folders) names_[Key(UpdateFolder::kProgram, name)] = true;
  }

  // Each action must find its source and its target's folder, and never overwrite.
  void Apply(const FileAction& action) {
    const auto source = Key(action.folder, action.name);
    switch (action.kind) {
      case FileAction::Kind::kMakeFolder:
        FUZZ_CHECK(!names_.contains(source) && ParentExists(action.folder, action.name));
        names_[source] = true;
        break;
      case FileAction::Kind::kRemoveFolder:
        FUZZ_CHECK(names_.contains(source) && names_[source]);
        names_.erase(source);
        break;
      case FileAction::Kind::kMove: {
        const auto target = Key(action.toFolder, action.toName);
        FUZZ_CHECK(names_.contains(source) && !names_.contains(target));
        FUZZ_CHECK(ParentExists(action.toFolder, action.toName));
        names_[target] = names_[source];
        names_.erase(source);
        break;
      }
    }
  }
  bool Has(UpdateFolder folder, const std::string& name) const {
    return names_.contains(Key(folder, name));
  }
  bool operator==(const Folders&) const = default;

 private:
  using Name = std::pair<UpdateFolder, std::string>;
  static Name Key(UpdateFolder folder, const std::string& name) { return {folder, name}; }
  bool ParentExists(UpdateFolder folder, const std::string& name) const {
    const size_t slash = name.rfind('/');
    return slash == std::string::npos || names_.contains(Key(folder, name.substr(0, slash)));
  }

  std::map<Name, bool> names_;
};

// A program folder with replaced files' backups, a language folder and a plain file
// where a package might want a folder.
platform::FolderListing ProgramFolder() {
  return {{"pacetta", "pacetta.bak", "Portex64", "Vireon.so", "languages/de.qm",
           "languages/de.qm.bak", "docs"},
          {"languages", "lib"}};
}

// The plan brings every package file into the program folder without overwriting
// anything, and taking its steps back in reverse leaves both folders as they were.
void CheckPlan(const platform::FolderListing& package) {
  const platform::FolderListing program = ProgramFolder();
  const updates::InstallPlan plan = updates::PlanInstall(package, program);
  if (plan.refusal) {
    FUZZ_CHECK(plan.steps.empty());
    return;
  }
  const Folders before(package, program);
  Folders folders = before;
  for (const platform::InstallStep& step : plan.steps) folders.Apply(step.action);
  for (const std::string& file : package.files) {
    FUZZ_CHECK(folders.Has(UpdateFolder::kProgram, file));
  }
  for (auto step = plan.steps.rbegin(); step != plan.steps.rend(); ++step) {
    folders.Apply(step->undo);
  }
  FUZZ_CHECK(folders == before);
}

}  // namespace
}  // namespace pacetta::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  const std::span<const uint8_t> input(data, size);
  const bool gzip = size >= 2 && data[0] == 0x1F && data[1] == 0x8B;
  const std::vector<uint8_t> compressed =
      gzip ? std::vector<uint8_t>(input.begin(), input.end()) : fuzz::Gzip(input);
  const updates::PackageArchive archive = updates::ReadPackageArchive(compressed);
  if (archive.fault) {
    FUZZ_CHECK(archive.entries.empty());
    return 0;
  }
  fuzz::CheckEntries(archive.entries);
  const auto items = updates::UnpackItemsOf(archive.entries);
  FUZZ_CHECK(items.size() == archive.entries.size());
  fuzz::CheckPlan(fuzz::ListingOf(archive.entries));
  return 0;
}
