#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace pacetta::fuzz {
namespace {

class OwnFolder {
 public:
  OwnFolder() {
    std::string pattern = Base() + "/pacetta-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    path_ = pattern;
  }
  ~OwnFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  OwnFolder(const OwnFolder&) = delete;
  OwnFolder& operator=(const OwnFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  // TMPDIR when set; else memory (/dev/shm) where there is some, since the settings
  // file's saves flush to disk (fsync), which took nearly all of that target's time.
  static std::string Base() {
    if (const char* base = std::getenv("TMPDIR"); base && *base) return base;
    if (access("/dev/shm", W_OK | X_OK) == 0) return "/dev/shm";
    return "/tmp";
  }

  std::string path_;
};

}  // namespace

const std::string& PrivateFolder() {
  static const OwnFolder folder;
  return folder.Path();
}

void WriteFile(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

void Fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
}

}  // namespace pacetta::fuzz
