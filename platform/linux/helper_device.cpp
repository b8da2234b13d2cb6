#include "platform/linux/helper_device.h"

#include <sched.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "hw/driver_protocol.h"
#include "platform/linux/helper_wire.h"

namespace pacetta::linux_os {
namespace {

// A request that the helper has not answered by then is taken as failed.
constexpr std::chrono::milliseconds kAnswerTimeout{30000};
// A change may first wait for polkit while the user types a password (the helper gives
// that up to 120 s): the program must not give up first.
constexpr std::chrono::milliseconds kChangeAnswerTimeout{150000};

bool MayWaitForPassword(uint32_t code) {
  return driver::ChangesRegistersOrPolicy(code) || code == driver::kWritePortByte ||
         code == driver::kWritePortWord || code == driver::kWritePortDword;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

unsigned SchedulerProcessor() {
  const int cpu = sched_getcpu();
  return cpu < 0 ? 0 : static_cast<unsigned>(cpu);
}

}  // namespace

HelperDevice::HelperDevice(UniqueFd connection, std::function<unsigned()> currentProcessor)
    : connection_(std::move(connection)), currentProcessor_(std::move(currentProcessor)) {
  if (!currentProcessor_) currentProcessor_ = SchedulerProcessor;
}

HelperDevice::~HelperDevice() {
  // Closing the device releases what it mapped, as closing the driver handle does.
  for (const auto& [address, length] : mappings_) munmap(reinterpret_cast<void*>(address), length);
}

bool HelperDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out,
                           uint32_t outSize, uint32_t* returned) {
  uint32_t count = 0;
  bool ok = false;
  if ((inSize > 0 && in == nullptr) || (outSize > 0 && out == nullptr)) {
    ok = false;
  } else if (code == driver::kMapPhysicalMemory) {
    ok = Map(in, inSize, out, outSize, count);
  } else if (code == driver::kUnmapPhysicalMemory) {
    ok = Unmap(in, inSize);
  } else {
    UniqueFd unexpected;
    ok = Exchange(code, in, inSize, out, outSize, count, unexpected);
  }
  if (returned != nullptr) *returned = ok ? count : 0;
  return ok;
}

bool HelperDevice::Exchange(uint32_t code, const void* in, uint32_t inSize, void* out,
                            uint32_t outSize, uint32_t& returned, UniqueFd& passed) {
  if (inSize > helper_wire::kMaxPayload || outSize > helper_wire::kMaxPayload) return false;
  helper_wire::RequestHeader header;
  header.code = code;
  header.inSize = inSize;
  header.outSize = outSize;
  header.processor = currentProcessor_();
  std::array<char, sizeof header + helper_wire::kMaxPayload> frame{};
  std::memcpy(frame.data(), &header, sizeof header);
  if (inSize > 0) std::memcpy(frame.data() + sizeof header, in, inSize);

  const auto timeout = MayWaitForPassword(code) ? kChangeAnswerTimeout : kAnswerTimeout;
  const std::lock_guard lock(mutex_);
  if (!connection_.Valid()) return false;
  helper_wire::ResponseHeader answer;
  std::array<char, helper_wire::kMaxPayload> output{};
  const bool exchanged =
      SendAll(connection_.Get(), frame.data(), sizeof header + inSize) &&
      ReceiveWithFd(connection_.Get(), &answer, sizeof answer, timeout, passed) &&
      answer.returned <= outSize &&
      (answer.returned == 0 ||
       ReceiveExact(connection_.Get(), output.data(), answer.returned, timeout));
  if (!exchanged) {
    // The stream is out of step or gone: no later answer could be trusted.
    connection_.Reset();
    return false;
  }
  if (answer.ok == 0) return false;
  // `out` may be `in`: it is written only now, after the request has left.
  if (answer.returned > 0) std::memcpy(out, output.data(), answer.returned);
  returned = answer.returned;
  return true;
}

bool HelperDevice::Map(const void* in, uint32_t inSize, void* out, uint32_t outSize,
                       uint32_t& returned) {
  if (inSize != 16 || outSize != 8) return false;
  std::array<uint32_t, 4> request;
  std::memcpy(request.data(), in, sizeof request);
  const size_t length = request[2];
  std::array<uint32_t, 2> answer{};
  UniqueFd memory;
  uint32_t count = 0;
  if (!Exchange(driver::kMapPhysicalMemory, in, inSize, answer.data(), sizeof answer, count,
                memory) ||
      !memory.Valid() || length == 0) {
    return false;
  }
  void* address = mmap(nullptr, length, PROT_READ, MAP_SHARED, memory.Get(), 0);
  if (address == MAP_FAILED) return false;
  const auto value = reinterpret_cast<uintptr_t>(address);
  {
    const std::lock_guard lock(mutex_);
    mappings_[value] = length;
  }
  // Word 0 and word 1: the low and high halves of this process's address.
  const std::array<uint32_t, 2> words{static_cast<uint32_t>(value),
                                      static_cast<uint32_t>(uint64_t{value} >> 32)};
  std::memcpy(out, words.data(), sizeof words);
  returned = sizeof words;
  return true;
}

bool HelperDevice::Unmap(const void* in, uint32_t inSize) {
  if (inSize != 8) return false;
  std::array<uint32_t, 2> words;
  std::memcpy(words.data(), in, sizeof words);
  const auto address = static_cast<uintptr_t>(uint64_t{words[1]} << 32 | words[0]);
  const std::lock_guard lock(mutex_);
  // Only a mapping this device made may be released: anything else is someone's memory.
  const auto found = mappings_.find(address);
  if (found == mappings_.end()) return false;
  munmap(reinterpret_cast<void*>(found->first), found->second);
  mappings_.erase(found);
  return true;
}

HelperDeviceIo::HelperDeviceIo(HelperConfig config, std::function<unsigned()> currentProcessor)
    : config_(std::move(config)), currentProcessor_(std::move(currentProcessor)) {}

std::unique_ptr<platform::Device> HelperDeviceIo::OpenDevice(const std::string& path) {
  if (Lower(path) != Lower("\\\\.\\" + config_.serviceName)) return nullptr;
  UniqueFd connection = ConnectToHelper(config_.socketPath, config_.helperUsers);
  if (!connection.Valid()) return nullptr;
  auto device = std::make_unique<HelperDevice>(std::move(connection), currentProcessor_);
  // A helper that refuses this user closes the connection at once; the version request
  // tells that apart from a device that works.
  std::array<uint32_t, 2> version{};
  uint32_t returned = 0;
  if (!device->Control(driver::kQueryVersion, version.data(), sizeof version, version.data(),
                       sizeof version, &returned)) {
    return nullptr;
  }
  return device;
}

}  // namespace pacetta::linux_os
