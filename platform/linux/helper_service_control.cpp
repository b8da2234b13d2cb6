#include "platform/linux/helper_service_control.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>

#include "platform/linux/helper_launch.h"
#include "platform/linux/helper_socket.h"
#include "platform/linux/helper_wire.h"

namespace pacetta::linux_os {
namespace {

constexpr std::chrono::milliseconds kStopTimeout{10000};

// The record names a program that a privileged process will start: it counts only when
// this user wrote it and nobody else can change it.
std::optional<std::string> ReadRecord(const HelperConfig& config) {
  UniqueFd file(open(config.RecordPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  struct stat info {};
  if (!file.Valid() || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_uid != geteuid() || (info.st_mode & 022) != 0) {
    return std::nullopt;
  }
  char text[4096];
  const ssize_t got = read(file.Get(), text, sizeof text - 1);
  if (got <= 0) return std::nullopt;
  std::string binary(text, static_cast<size_t>(got));
  binary = binary.substr(0, binary.find('\n'));
  if (binary.empty()) return std::nullopt;
  return binary;
}

// Written whole or not at all: a fresh temporary file (never one that someone placed
// there beforehand) renamed over the record.
bool WriteRecord(const HelperConfig& config, const std::string& binary) {
  mkdir(config.RecordFolder().c_str(), 0755);
  const std::string path = config.RecordPath();
  std::string temporary = path + ".XXXXXX";
  UniqueFd file(mkstemp(temporary.data()));
  if (!file.Valid()) return false;
  const std::string text = binary + "\n";
  const bool written =
      fchmod(file.Get(), 0644) == 0 &&
      write(file.Get(), text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
      fsync(file.Get()) == 0;
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

class HelperService final : public platform::Service {
 public:
  explicit HelperService(const HelperConfig& config) : config_(config) {}

  bool Start() override {
    if (UnixSocketAnswers(config_.socketPath)) return true;
    const auto binary = ReadRecord(config_);
    if (!binary || !config_.mayStartHelper || !config_.mayStartHelper()) return false;
    return LaunchHelper(*binary, config_.socketPath, config_.helperArguments,
                        std::chrono::milliseconds(config_.startTimeoutMs));
  }

  bool QueryStatus(platform::ServiceStatus& status) override {
    status = {};
    status.state = UnixSocketAnswers(config_.socketPath) ? platform::ServiceState::kRunning
                                                         : platform::ServiceState::kStopped;
    return true;
  }

  // The helper decides: it ends only for root or for the process that started it. Once
  // it has agreed it closes every connection; the end of this one says it is gone.
  bool Stop() override {
    UniqueFd connection = ConnectUnixSocket(config_.socketPath);
    if (!connection.Valid()) return false;
    helper_wire::RequestHeader request;
    request.code = helper_wire::kStopRequest;
    helper_wire::ResponseHeader answer;
    if (!SendAll(connection.Get(), &request, sizeof request) ||
        !ReceiveExact(connection.Get(), &answer, sizeof answer, kStopTimeout) || answer.ok == 0) {
      return false;
    }
    return WaitForEndOfStream(connection.Get(), kStopTimeout);
  }

  // Only a record this program wrote can be removed; a system service stays installed.
  bool Delete() override { return unlink(config_.RecordPath().c_str()) == 0; }

 private:
  HelperConfig config_;
};

class HelperServiceManager final : public platform::ServiceManager {
 public:
  explicit HelperServiceManager(const HelperConfig& config) : config_(config) {}

  std::unique_ptr<platform::Service> CreateDriverService(const std::string& name,
                                                         const std::string& /*displayName*/,
                                                         const std::string& binaryPath) override {
    if (name != config_.serviceName || ReadRecord(config_)) return nullptr;
    // A helper that answers already is the administrator's service: nothing to install.
    if (UnixSocketAnswers(config_.socketPath)) return nullptr;
    if (!config_.mayStartHelper || !config_.mayStartHelper()) return nullptr;
    if (!WriteRecord(config_, binaryPath)) return nullptr;
    return std::make_unique<HelperService>(config_);
  }

  std::unique_ptr<platform::Service> OpenService(const std::string& name) override {
    if (name != config_.serviceName) return nullptr;
    if (!ReadRecord(config_) && !UnixSocketAnswers(config_.socketPath)) return nullptr;
    return std::make_unique<HelperService>(config_);
  }

 private:
  HelperConfig config_;
};

}  // namespace

std::unique_ptr<platform::ServiceManager> HelperServiceControl::OpenManager() {
  const bool mayStart = config_.mayStartHelper && config_.mayStartHelper();
  if (!mayStart && !UnixSocketAnswers(config_.socketPath)) return nullptr;
  return std::make_unique<HelperServiceManager>(config_);
}

}  // namespace pacetta::linux_os
