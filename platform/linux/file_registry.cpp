#include "platform/linux/file_registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace pacetta::linux_os {
namespace {

using nlohmann::json;

constexpr const char* kFormat = "pacetta-settings";

std::string ToHex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  for (uint8_t b : bytes) {
    text.push_back(digits[b >> 4]);
    text.push_back(digits[b & 15]);
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Only pairs of hexadecimal digits: no sign, blank or prefix slips through as a byte.
std::optional<std::vector<uint8_t>> FromHex(const std::string& text) {
  if (text.size() % 2) return std::nullopt;
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return bytes;
}

// Throws on anything that is not a settings file of this program.
platform::RegistryKeys Parse(const std::string& text) {
  const json root = json::parse(text);
  if (!root.is_object() || root.value("format", "") != kFormat || !root.contains("keys") ||
      !root["keys"].is_object()) {
    throw std::runtime_error("not a settings file");
  }
  platform::RegistryKeys keys;
  for (const auto& [path, values] : root["keys"].items()) {
    if (!values.is_object()) throw std::runtime_error("key " + path + " is not an object");
    auto& target = keys[path];
    for (const auto& [name, value] : values.items()) {
      if (value.is_number_integer()) {
        // Checked in the number's own type: an unsigned one beyond INT64_MAX would wrap
        // into the negative values a word may hold.
        const bool inRange = value.is_number_unsigned() ? value.get<uint64_t>() <= UINT32_MAX
                                                        : value.get<int64_t>() >= INT32_MIN;
        if (!inRange) throw std::runtime_error(name + " out of range");
        target[name] = static_cast<uint32_t>(value.get<int64_t>());
      } else if (value.is_object() && value.contains("binary") && value["binary"].is_string()) {
        auto bytes = FromHex(value["binary"].get<std::string>());
        if (!bytes) throw std::runtime_error(name + " is not hexadecimal");
        target[name] = *bytes;
      } else {
        throw std::runtime_error(name + " has an unknown type");
      }
    }
  }
  return keys;
}

std::string Serialise(const platform::RegistryKeys& keys) {
  json root = {{"format", kFormat}, {"version", 1}, {"keys", json::object()}};
  for (const auto& [path, values] : keys) {
    json& key = root["keys"][path];
    key = json::object();
    for (const auto& [name, value] : values) {
      if (std::holds_alternative<uint32_t>(value)) {
        key[name] = std::get<uint32_t>(value);
      } else {
        key[name] = {{"binary", ToHex(std::get<std::vector<uint8_t>>(value))}};
      }
    }
  }
  return root.dump(2) + "\n";
}

bool MakeDirectories(const std::string& folder) {
  if (folder.empty()) return true;
  size_t position = 0;
  while ((position = folder.find('/', position + 1)) != std::string::npos) {
    mkdir(folder.substr(0, position).c_str(), 0700);
  }
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool WriteAll(SettingsFileCalls& calls, int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = calls.Write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int SettingsFileCalls::CreateTemporary(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}
ssize_t SettingsFileCalls::Write(int fd, const void* data, size_t size) {
  return write(fd, data, size);
}
int SettingsFileCalls::Sync(int fd) {
  return fsync(fd);
}
int SettingsFileCalls::Close(int fd) {
  return close(fd);
}
int SettingsFileCalls::Rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str());
}

FileRegistry::FileRegistry(std::string path, std::shared_ptr<SettingsFileCalls> calls)
    : path_(std::move(path)),
      calls_(calls ? std::move(calls) : std::make_shared<SettingsFileCalls>()) {
  std::ifstream file(path_, std::ios::binary);
  if (!file) return;  // no settings yet
  std::stringstream text;
  text << file.rdbuf();
  try {
    Load(Parse(text.str()));
  } catch (const std::exception& error) {
    const std::string aside = path_ + ".damaged";
    std::rename(path_.c_str(), aside.c_str());
    damageNotice_ = "The settings file " + path_ + " was damaged (" + error.what() +
                    "); it was kept as " + aside + " and the defaults are used.";
  }
}

std::optional<std::string> FileRegistry::DamageNotice() {
  auto notice = std::move(damageNotice_);
  damageNotice_.reset();
  return notice;
}

std::string FileRegistry::DefaultPath(const std::string& fileName) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder;
  if (config && *config == '/') {
    folder = config;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home && *home ? home : "/tmp") + "/.config";
  }
  return folder + "/pacetta/" + fileName;
}

bool FileRegistry::Persist(const platform::RegistryKeys& keys) {
  const std::string folder = FolderOf(path_);
  if (!MakeDirectories(folder)) return false;
  const std::string temporary = path_ + ".tmp-" + std::to_string(getpid());
  const int fd = calls_->CreateTemporary(temporary);
  if (fd < 0) return false;
  const bool written = WriteAll(*calls_, fd, Serialise(keys)) && calls_->Sync(fd) == 0;
  const bool closed = calls_->Close(fd) == 0;
  if (!written || !closed || calls_->Rename(temporary, path_) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace pacetta::linux_os
