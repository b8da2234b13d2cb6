#include "platform/sim/driver/traced_request.h"

#include <array>
#include <cstring>
#include <optional>

#include "hw/driver_protocol.h"
#include "platform/sim/driver/io_ports.h"

namespace pacetta::sim {
namespace {

// Configuration address bit 31: the data ports reach configuration space.
constexpr uint32_t kConfigEnable = 0x80000000u;

// The words of a buffer of exactly N words, as the device reads it; nullopt for a buffer
// the device refuses.
template <size_t N>
std::optional<std::array<uint32_t, N>> Words(const void* data, uint32_t size) {
  if (data == nullptr || size != N * 4) return std::nullopt;
  std::array<uint32_t, N> words;
  std::memcpy(words.data(), data, N * 4);
  return words;
}

struct PortRequest {
  bool write = false;
  unsigned width = 0;
};

std::optional<PortRequest> AsPortRequest(uint32_t code) {
  switch (code) {
    case driver::kReadPortByte:
      return PortRequest{false, 1};
    case driver::kReadPortWord:
      return PortRequest{false, 2};
    case driver::kReadPortDword:
      return PortRequest{false, 4};
    case driver::kWritePortByte:
      return PortRequest{true, 1};
    case driver::kWritePortWord:
      return PortRequest{true, 2};
    case driver::kWritePortDword:
      return PortRequest{true, 4};
    default:
      return std::nullopt;
  }
}

uint32_t WidthMask(unsigned width) {
  return width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

// A port access, or the configuration access it makes through the data ports: bus and
// device-function from the device object's configuration address, the double word from
// its bits 7..2 and the byte from the port.
void DescribePort(TraceAccess& access, PortRequest port, uint16_t number, uint32_t value,
                  uint32_t configAddress) {
  access.width = port.width;
  const bool configData = number >= IoPorts::kConfigData && number <= IoPorts::kConfigData + 3;
  if (configData && (configAddress & kConfigEnable) != 0) {
    access.kind = port.write ? TraceKind::kPciWrite : TraceKind::kPciRead;
    access.location =
        (configAddress & 0x00FFFF00u) | ((configAddress & 0xFCu) + (number - IoPorts::kConfigData));
  } else {
    access.kind = port.write ? TraceKind::kPortOut : TraceKind::kPortIn;
    access.location = number;
  }
  if (port.write) access.value = value & WidthMask(port.width);
}

}  // namespace

TracedRequest::TracedRequest(RegisterTrace& trace, uint32_t code, unsigned processor,
                             const RequestBuffers& buffers, const DeviceRequests& device,
                             const SimFaults& faults)
    : trace_(trace), code_(code), injected_(faults.failingRequests.contains(code)) {
  access_.processor = processor;
  if (code == driver::kReadMsr || code == driver::kWriteMsr) {
    const bool write = code == driver::kWriteMsr;
    access_.kind = write ? TraceKind::kMsrWrite : TraceKind::kMsrRead;
    access_.width = 8;
    if (const auto in = Words<3>(buffers.in, buffers.inSize)) {  // index, high, low
      access_.location = (*in)[0];
      if (write) access_.value = uint64_t{(*in)[1]} << 32 | (*in)[2];
      const auto& failing = write ? faults.failingMsrWrites : faults.failingMsrReads;
      injected_ = injected_ || failing.contains((*in)[0]);
    }
  } else if (const auto port = AsPortRequest(code)) {
    access_.kind = port->write ? TraceKind::kPortOut : TraceKind::kPortIn;
    access_.width = port->width;
    if (const auto in = Words<2>(buffers.in, buffers.inSize)) {  // port, value
      DescribePort(access_, *port, static_cast<uint16_t>((*in)[0]), (*in)[1],
                   device.ConfigAddress());
    }
  } else if (code == driver::kMapPhysicalMemory) {
    access_.kind = TraceKind::kMap;
    access_.width = 8;
    if (const auto in = Words<4>(buffers.in, buffers.inSize)) {  // low, high, length
      access_.location = uint64_t{(*in)[1]} << 32 | (*in)[0];
      access_.length = (*in)[2];
    }
  } else if (code == driver::kUnmapPhysicalMemory) {
    access_.kind = TraceKind::kUnmap;
    access_.width = 8;
    if (const auto in = Words<2>(buffers.in, buffers.inSize)) {  // the mapping's two words
      access_.value = uint64_t{(*in)[1]} << 32 | (*in)[0];
      if (const auto range = device.MappedRange((*in)[0], (*in)[1])) {
        access_.location = range->address;
        access_.length = range->length;
      }
    }
  } else if (code == driver::kRunKernelRoutine) {
    access_.kind = TraceKind::kRoutine;
    access_.width = 8;
    driver::KernelCallBlock block;
    if (buffers.in != nullptr && buffers.inSize == sizeof block) {
      std::memcpy(&block, buffers.in, sizeof block);
      access_.location = block.routine;
      access_.value = uint64_t{block.edx} << 32 | block.eax;
    }
  } else if (code == driver::kSetFrequencyLimits) {
    access_.kind = TraceKind::kPolicyLimits;
    access_.width = 8;
    if (const auto in = Words<3>(buffers.in, buffers.inSize)) {  // id, min, max
      access_.location = (*in)[0];
      access_.value = uint64_t{(*in)[1]} << 32 | (*in)[2];
    }
  } else if (code == driver::kSetEnergyPreference) {
    access_.kind = TraceKind::kPolicyPreference;
    if (buffers.in != nullptr && buffers.inSize >= 4) {
      uint32_t id = 0;
      std::memcpy(&id, buffers.in, 4);
      access_.location = id;
    }
  } else if (code == driver::kSetBoost) {
    access_.kind = TraceKind::kPolicyBoost;
    access_.width = 1;
    if (const auto in = Words<1>(buffers.in, buffers.inSize)) access_.value = (*in)[0];
  } else {
    return;  // the version, the use count: no hardware behind them
  }
  open_ = trace_.Begin();
}

TracedRequest::~TracedRequest() {
  if (open_) trace_.End(nullptr);
}

void TracedRequest::Finish(const RequestBuffers& buffers, bool succeeded) {
  if (!open_) return;
  open_ = false;
  access_.result = succeeded   ? TraceResult::kOk
                   : injected_ ? TraceResult::kInjected
                               : TraceResult::kFailed;
  // A request that succeeded had an output buffer of its layout's size.
  if (succeeded && code_ == driver::kReadMsr) {
    const auto out = Words<3>(buffers.out, buffers.outSize);
    if (out) access_.value = uint64_t{(*out)[1]} << 32 | (*out)[2];
  } else if (succeeded &&
             (access_.kind == TraceKind::kPortIn || access_.kind == TraceKind::kPciRead)) {
    const auto out = Words<2>(buffers.out, buffers.outSize);
    if (out) access_.value = (*out)[1];
  } else if (succeeded && code_ == driver::kMapPhysicalMemory) {
    const auto out = Words<2>(buffers.out, buffers.outSize);
    if (out) access_.value = uint64_t{(*out)[1]} << 32 | (*out)[0];
  }
  trace_.End(&access_);
}

}  // namespace pacetta::sim
