#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/log/log_lines.h"
#include "platform/civil_time.h"
#include "platform/local_time.h"

namespace pacetta::testing {

// A clock the test moves by hand.
class ManualClock final : public platform::LocalClock {
 public:
  platform::LocalTime Now() override { return now; }
  int64_t EpochSeconds() override { return platform::UtcSecondsOf(now).value_or(0); }
  std::optional<int64_t> EpochSecondsOf(const platform::LocalTime& local) override {
    return platform::UtcSecondsOf(local);
  }
  void Advance(int seconds) {
    // Good within one day, which is all these tests need.
    int total = now.hour * 3600 + now.minute * 60 + now.second + seconds;
    now.hour = static_cast<uint16_t>(total / 3600);
    now.minute = static_cast<uint16_t>(total / 60 % 60);
    now.second = static_cast<uint16_t>(total % 60);
  }
  platform::LocalTime now{2024, 5, 17, 8, 0, 0, 0};
};

// A fresh folder, removed with its contents at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pacetta-log-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace pacetta::testing
