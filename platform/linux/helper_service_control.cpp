#include "platform/linux/helper_service_control.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>

#include "platform/linux/helper_folder.h"
#include "platform/linux/helper_launch.h"
#include "platform/linux/helper_socket.h"
#include "platform/linux/helper_wire.h"

namespace pacetta::linux_os {
namespace {

constexpr std::chrono::milliseconds kStopTimeout{10000};

// The record of a helper this program installs: the binary to start and, once started,
// the process that serves the socket. Only that process is this program's to stop; any
// other helper on the socket is the administrator's.
struct Record {
  std::string binary;
  pid_t helper = 0;
};

// Nobody else may have placed or changed the record: it names a program that a
// privileged process will start.
UniqueFd RecordFolder(const HelperConfig& config, bool create) {
  std::string error;
  return OpenTrustedFolder(config.RecordFolder(), geteuid(), create, error);
}

std::optional<Record> ReadRecord(const HelperConfig& config) {
  const UniqueFd folder = RecordFolder(config, false);
  if (!folder.Valid()) return std::nullopt;
  UniqueFd file(
      openat(folder.Get(), config.RecordName().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  struct stat info {};
  if (!file.Valid() || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_uid != geteuid() || (info.st_mode & 022) != 0) {
    return std::nullopt;
  }
  char text[4096];
  const ssize_t got = read(file.Get(), text, sizeof text - 1);
  if (got <= 0) return std::nullopt;
  text[got] = '\0';
  Record record;
  const std::string content(text);
  const auto end = content.find('\n');
  record.binary = content.substr(0, end);
  if (record.binary.empty()) return std::nullopt;
  if (end != std::string::npos) record.helper = static_cast<pid_t>(std::atol(text + end + 1));
  return record;
}

// Written whole or not at all: a fresh temporary file (never one that someone placed
// there beforehand) renamed over the record.
bool WriteRecord(const HelperConfig& config, const Record& record) {
  const UniqueFd folder = RecordFolder(config, true);
  if (!folder.Valid()) return false;
  const std::string name = config.RecordName();
  std::string temporary = PathInFolder(folder.Get(), name + ".XXXXXX");
  UniqueFd file(mkostemp(temporary.data(), O_CLOEXEC));
  if (!file.Valid()) return false;
  const std::string temporaryName = NameOf(temporary);
  std::string text = record.binary + "\n";
  if (record.helper > 0) text += std::to_string(record.helper) + "\n";
  const bool written =
      fchmod(file.Get(), 0644) == 0 &&
      write(file.Get(), text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
      fsync(file.Get()) == 0;
  if (!written || renameat(folder.Get(), temporaryName.c_str(), folder.Get(), name.c_str()) != 0) {
    unlinkat(folder.Get(), temporaryName.c_str(), 0);
    return false;
  }
  return true;
}

class HelperService final : public platform::Service {
 public:
  explicit HelperService(const HelperConfig& config) : config_(config) {}

  bool Start() override {
    if (UnixSocketAnswers(config_.socketPath)) return true;
    auto record = ReadRecord(config_);
    if (!record || !config_.mayStartHelper || !config_.mayStartHelper()) return false;
    if (!LaunchHelper(record->binary, config_.socketPath, config_.helperArguments,
                      std::chrono::milliseconds(config_.startTimeoutMs))) {
      return false;
    }
    // The process now serving the socket is the one this program may end later.
    SocketPeer listener;
    if (ConnectToHelper(config_.socketPath, config_.helperUsers, &listener).Valid()) {
      record->helper = listener.pid;
      WriteRecord(config_, *record);
    }
    return true;
  }

  bool QueryStatus(platform::ServiceStatus& status) override {
    status = {};
    status.state = UnixSocketAnswers(config_.socketPath) ? platform::ServiceState::kRunning
                                                         : platform::ServiceState::kStopped;
    return true;
  }

  // Only a helper that this program started: one run by the administrator (a system
  // service, which would not come back after a clean end) stays, even for root. The
  // helper itself then decides: it ends only for root or for the process that started
  // it. Once it has agreed it closes every connection; the end of this one says it is
  // gone.
  bool Stop() override {
    const auto record = ReadRecord(config_);
    if (!record || record->helper <= 0) return false;
    SocketPeer listener;
    UniqueFd connection = ConnectToHelper(config_.socketPath, config_.helperUsers, &listener);
    if (!connection.Valid() || listener.pid != record->helper) return false;
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
  bool Delete() override {
    const UniqueFd folder = RecordFolder(config_, false);
    return folder.Valid() && unlinkat(folder.Get(), config_.RecordName().c_str(), 0) == 0;
  }

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
    if (!WriteRecord(config_, Record{binaryPath, 0})) return nullptr;
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
