// The driver's request operations: one synchronous device request each, refused without
// a device.
#include <array>

#include "hw/portex_driver.h"

namespace pacetta {

namespace {

// Port requests carry two words: the port, then the value (writes) or 0 (reads).
using PortBlock = std::array<uint32_t, 2>;
// Version and use-count requests use one 8-byte block in and out.
using PairBlock = std::array<uint32_t, 2>;

constexpr uint32_t kPortMask = 0xFFFFu;

}  // namespace

bool CPortexDriver::Request(uint32_t code, const void* in, uint32_t inSize, void* out,
                            uint32_t outSize) {
  if (!device_) return false;
  uint32_t returned = 0;
  return device_->Control(code, in, inSize, out, outSize, &returned);
}

bool CPortexDriver::QueryVersion(DriverVersion& version) {
  PairBlock block{};
  if (!Request(driver::kQueryVersion, block.data(), sizeof block, block.data(), sizeof block))
    return false;
  version = {block[0], block[1]};
  return true;
}

bool CPortexDriver::IsExpectedVersion() {
  DriverVersion version;
  return QueryVersion(version) && version.major == driver::kExpectedMajor &&
         version.minor == driver::kExpectedMinor;
}

bool CPortexDriver::ChangeUseCount(int32_t change, uint32_t& count) {
  PairBlock block{driver::kUseCountTag, static_cast<uint32_t>(change)};
  if (!Request(driver::kChangeUseCount, block.data(), sizeof block, block.data(), sizeof block)) {
    count = driver::kUseCountTag;
    return false;
  }
  count = block[0];
  return true;
}

bool CPortexDriver::AddUse() {
  uint32_t count = 0;
  return ChangeUseCount(+1, count);
}

bool CPortexDriver::ReleaseUse() {
  uint32_t count = 0;
  return ChangeUseCount(-1, count);
}

bool CPortexDriver::GetUseCount(uint32_t& count) {
  return ChangeUseCount(0, count);
}

uint32_t CPortexDriver::ReadPort(uint32_t code, uint32_t port) {
  const PortBlock in{port & kPortMask, 0};
  PortBlock out{};
  // The value travels in the second word, already zero-extended by the driver.
  return Request(code, in.data(), sizeof in, out.data(), sizeof out) ? out[1] : 0;
}

uint32_t CPortexDriver::WritePort(uint32_t code, uint32_t port, uint32_t value) {
  const PortBlock in{port & kPortMask, value};
  PortBlock out{};
  return Request(code, in.data(), sizeof in, out.data(), sizeof out) ? out[1] : 0;
}

uint32_t CPortexDriver::ReadPortByte(uint32_t port) {
  return ReadPort(driver::kReadPortByte, port);
}

uint32_t CPortexDriver::ReadPortWord(uint32_t port) {
  return ReadPort(driver::kReadPortWord, port);
}

uint32_t CPortexDriver::ReadPortDword(uint32_t port) {
  return ReadPort(driver::kReadPortDword, port);
}

// The byte write passes the full word; the driver writes only its low byte.
uint32_t CPortexDriver::WritePortByte(uint32_t port, uint32_t value) {
  return WritePort(driver::kWritePortByte, port, value);
}

uint32_t CPortexDriver::WritePortWord(uint32_t port, uint32_t value) {
  return WritePort(driver::kWritePortWord, port, value & 0xFFFFu);
}

uint32_t CPortexDriver::WritePortDword(uint32_t port, uint32_t value) {
  return WritePort(driver::kWritePortDword, port, value);
}

bool CPortexDriver::ReadMsr(MsrRequest& request) {
  if (Request(driver::kReadMsr, &request, sizeof request, &request, sizeof request)) return true;
  // Whatever a failed request left behind, callers must see "no value".
  request.high = 0xFFFFFFFFu;
  request.low = 0xFFFFFFFFu;
  return false;
}

bool CPortexDriver::WriteMsr(MsrRequest& request) {
  return Request(driver::kWriteMsr, &request, sizeof request, &request, sizeof request);
}

bool CPortexDriver::ReadMsrValue(MsrRequest& request, uint32_t index) {
  request = MsrRequest{index, 0xFFFFFFFFu, 0xFFFFFFFFu};
  return ReadMsr(request);
}

bool CPortexDriver::WriteMsrValue(MsrRequest& request, uint32_t index, uint32_t low,
                                  uint32_t high) {
  request = MsrRequest{index, high, low};
  return WriteMsr(request);
}

bool CPortexDriver::RunKernelRoutine(driver::KernelCallBlock& block) {
  if (!device_ || Is64BitSystem()) return false;
  return Request(driver::kRunKernelRoutine, &block, sizeof block, &block, sizeof block);
}

}  // namespace pacetta
