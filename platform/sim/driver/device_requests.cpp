#include "platform/sim/driver/device_requests.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "hw/driver_protocol.h"
#include "platform/sim/driver/kernel_routines.h"
#include "platform/sim/kernel/sim_kernel_cpu.h"

namespace pacetta::sim {
namespace {

template <size_t N>
std::optional<std::array<uint32_t, N>> InputWords(const RequestBuffers& buffers) {
  if (buffers.in == nullptr || buffers.inSize != N * 4) return std::nullopt;
  std::array<uint32_t, N> words;
  std::memcpy(words.data(), buffers.in, N * 4);
  return words;
}

bool OutputIs(const RequestBuffers& buffers, uint32_t size) {
  return buffers.out != nullptr && buffers.outSize == size;
}

template <size_t N>
uint32_t OutputWords(const RequestBuffers& buffers, const std::array<uint32_t, N>& words) {
  std::memcpy(buffers.out, words.data(), N * 4);
  return N * 4;
}

uint32_t WidthMask(unsigned width) {
  return width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

// The registers that request a performance state: the K7/K8 FID/VID control, Intel's
// and VIA's IA32_PERF_CTL, the P-state control of later AMD parts, LongRun's window.
bool RequestsPerformanceState(uint32_t index) {
  return index == 0xC0010041u || index == 0x199u || index == 0xC0010062u || index == 0x80868010u;
}

// The governor of an older frequency driver that moves processor k's performance state
// itself; empty when none does (none loaded, or `userspace`, which leaves it alone).
std::string GoverningOf(platform::KernelCpu* kernel, unsigned k) {
  if (kernel == nullptr) return {};
  for (const platform::FrequencyPolicy& policy : kernel->Policies()) {
    const bool covers = std::find(policy.cpus.begin(), policy.cpus.end(), k) != policy.cpus.end();
    if (covers && policy.driver == kRegisterMachineDriver && policy.governor != "userspace") {
      return policy.governor;
    }
  }
  return {};
}

}  // namespace

DeviceRequests::DeviceRequests(DriverHardware& hardware, ServiceDatabase& services,
                               std::string driverName, const DeviceHost& host)
    : hardware_(hardware),
      services_(services),
      driverName_(std::move(driverName)),
      host_(host),
      mappings_(hardware.BiosArea()) {}

bool DeviceRequests::Answer(uint32_t code, unsigned processor, const RequestBuffers& buffers,
                            uint32_t& written) {
  switch (code) {
    case driver::kMapPhysicalMemory:
      return MapMemory(buffers, written);
    case driver::kUnmapPhysicalMemory:
      return UnmapMemory(buffers);
    case driver::kReadPortByte:
      return ReadPort(1, buffers, written);
    case driver::kReadPortWord:
      return ReadPort(2, buffers, written);
    case driver::kReadPortDword:
      return ReadPort(4, buffers, written);
    case driver::kWritePortByte:
      return WritePort(1, buffers, written);
    case driver::kWritePortWord:
      return WritePort(2, buffers, written);
    case driver::kWritePortDword:
      return WritePort(4, buffers, written);
    case driver::kRunKernelRoutine:
      return RunRoutine(processor, buffers, written);
    case driver::kQueryVersion:
      return QueryVersion(buffers, written);
    case driver::kChangeUseCount:
      return ChangeUseCount(buffers, written);
    case driver::kReadMsr:
      return ReadMsr(processor, buffers, written);
    case driver::kWriteMsr:
      return WriteMsr(processor, buffers, written);
    case driver::kSetFrequencyLimits:
      return SetFrequencyLimits(buffers);
    case driver::kSetEnergyPreference:
      return SetEnergyPreference(buffers);
    case driver::kSetBoost:
      return SetBoost(buffers);
    case driver::kSetGovernor:
      return SetGovernor(buffers);
    default:
      return false;  // not a request of this driver
  }
}

// In: physical address low, high, length, reserved. Out: the mapping's two words.
bool DeviceRequests::MapMemory(const RequestBuffers& buffers, uint32_t& written) {
  const auto in = InputWords<4>(buffers);
  if (!in || !OutputIs(buffers, 8)) return false;
  const auto mapping = mappings_.Map((*in)[0], (*in)[1], (*in)[2]);
  if (!mapping) return false;
  written = OutputWords<2>(buffers, {mapping->first, mapping->second});
  return true;
}

// In: the two words of the mapping. Nothing comes back.
bool DeviceRequests::UnmapMemory(const RequestBuffers& buffers) {
  const auto in = InputWords<2>(buffers);
  return in && mappings_.Unmap((*in)[0], (*in)[1]);
}

// In: port, unused. Out: word 0 as given, word 1 = the value, zero-extended.
bool DeviceRequests::ReadPort(unsigned width, const RequestBuffers& buffers, uint32_t& written) {
  const auto in = InputWords<2>(buffers);
  if (!in || !OutputIs(buffers, 8)) return false;
  const auto port = static_cast<uint16_t>((*in)[0]);
  const uint32_t value = hardware_.Ports().Read(port, width, configAddress_);
  written = OutputWords<2>(buffers, {(*in)[0], value});
  return true;
}

// In: port, value (only its low `width` bytes are written). Out: port, the value written.
bool DeviceRequests::WritePort(unsigned width, const RequestBuffers& buffers, uint32_t& written) {
  const auto in = InputWords<2>(buffers);
  if (!in || !OutputIs(buffers, 8)) return false;
  const auto port = static_cast<uint16_t>((*in)[0]);
  const uint32_t value = (*in)[1] & WidthMask(width);
  hardware_.Ports().Write(port, width, value, configAddress_);
  written = OutputWords<2>(buffers, {(*in)[0], value});
  return true;
}

bool DeviceRequests::RunRoutine(unsigned processor, const RequestBuffers& buffers,
                                uint32_t& written) {
  driver::KernelCallBlock block;
  if (buffers.in == nullptr || buffers.inSize != sizeof block || !OutputIs(buffers, sizeof block)) {
    return false;
  }
  std::memcpy(&block, buffers.in, sizeof block);
  if (!RunKernelRoutine(hardware_, processor, host_.readTsc, block)) return false;
  std::memcpy(buffers.out, &block, sizeof block);
  written = sizeof block;
  return true;
}

// Out: major, minor.
bool DeviceRequests::QueryVersion(const RequestBuffers& buffers, uint32_t& written) {
  if (!InputWords<2>(buffers) || !OutputIs(buffers, 8)) return false;
  const auto version = services_.DriverVersion(driverName_);
  if (!version) return false;
  written = OutputWords<2>(buffers, {version->first, version->second});
  return true;
}

// In: the tag, a signed change. Out: word 0 = the count after the change.
bool DeviceRequests::ChangeUseCount(const RequestBuffers& buffers, uint32_t& written) {
  const auto in = InputWords<2>(buffers);
  if (!in || !OutputIs(buffers, 8) || (*in)[0] != driver::kUseCountTag) return false;
  const auto count = services_.ChangeUses(driverName_, static_cast<int32_t>((*in)[1]));
  if (!count) return false;
  written = OutputWords<2>(buffers, {*count, (*in)[1]});
  return true;
}

// In and out: index, high half, low half. A failed read leaves all ones in both halves.
bool DeviceRequests::ReadMsr(unsigned processor, const RequestBuffers& buffers, uint32_t& written) {
  const auto in = InputWords<3>(buffers);
  if (!in || !OutputIs(buffers, 12)) return false;
  const uint32_t index = (*in)[0];
  MsrBank* bank = hardware_.Bank(processor);
  uint64_t value = 0;
  const bool read = bank != nullptr && !services_.Faults().failingMsrReads.contains(index) &&
                    bank->Read(index, value);
  if (!read) value = ~uint64_t{0};
  const uint32_t count = OutputWords<3>(
      buffers, {index, static_cast<uint32_t>(value >> 32), static_cast<uint32_t>(value)});
  if (read) written = count;
  return read;
}

// In and out: index, high half, low half.
bool DeviceRequests::WriteMsr(unsigned processor, const RequestBuffers& buffers,
                              uint32_t& written) {
  const auto in = InputWords<3>(buffers);
  if (!in || !OutputIs(buffers, 12)) return false;
  const uint32_t index = (*in)[0];
  MsrBank* bank = hardware_.Bank(processor);
  if (bank == nullptr || services_.Faults().failingMsrWrites.contains(index)) return false;
  const uint64_t value = uint64_t{(*in)[1]} << 32 | (*in)[2];
  if (!bank->Write(index, value)) return false;
  // The kernel's governor would undo this at its next sample: the two fight.
  if (RequestsPerformanceState(index)) {
    const std::string governor = GoverningOf(hardware_.KernelCpu(), processor);
    if (!governor.empty()) {
      hardware_.Violations().Append(
          {processor, index, value,
           "performance state written while the kernel's " + governor + " governor steers it"});
    }
  }
  written = OutputWords<3>(buffers, *in);
  return true;
}

// In: policy id, min kHz, max kHz. Nothing comes back.
bool DeviceRequests::SetFrequencyLimits(const RequestBuffers& buffers) {
  const auto in = InputWords<3>(buffers);
  platform::KernelCpu* kernel = hardware_.KernelCpu();
  return in && kernel != nullptr && kernel->SetLimits((*in)[0], (*in)[1], (*in)[2]);
}

namespace {

// In: policy id, 24 bytes of text padded with NULs.
std::optional<std::pair<uint32_t, std::string>> PolicyName(const RequestBuffers& buffers) {
  constexpr uint32_t kTextBytes = 24;
  if (buffers.in == nullptr || buffers.inSize != 4 + kTextBytes) return std::nullopt;
  uint32_t id = 0;
  std::memcpy(&id, buffers.in, 4);
  const char* text = static_cast<const char*>(buffers.in) + 4;
  return std::make_pair(id, std::string(text, strnlen(text, kTextBytes)));
}

}  // namespace

bool DeviceRequests::SetEnergyPreference(const RequestBuffers& buffers) {
  platform::KernelCpu* kernel = hardware_.KernelCpu();
  const auto in = PolicyName(buffers);
  return in && kernel != nullptr && kernel->SetEnergyPreference(in->first, in->second);
}

bool DeviceRequests::SetGovernor(const RequestBuffers& buffers) {
  platform::KernelCpu* kernel = hardware_.KernelCpu();
  const auto in = PolicyName(buffers);
  return in && kernel != nullptr && kernel->SetGovernor(in->first, in->second);
}

// In: 0 or 1.
bool DeviceRequests::SetBoost(const RequestBuffers& buffers) {
  const auto in = InputWords<1>(buffers);
  platform::KernelCpu* kernel = hardware_.KernelCpu();
  if (!in || (*in)[0] > 1 || kernel == nullptr) return false;
  return kernel->SetBoost((*in)[0] == 1);
}

}  // namespace pacetta::sim
