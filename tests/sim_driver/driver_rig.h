#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hw/driver_protocol.h"
#include "hw/msr_request.h"
#include "platform/sim/driver/sim_driver.h"

namespace pacetta::sim::testing {

inline constexpr const char* kDriverFile = "/opt/pacetta/Portex64";

// Two processors with different register start values, a northbridge function at
// 00:18.3, a host bridge and a BIOS area whose bytes are their own offsets.
inline MachineSpec TwoProcessorMachine(bool system64 = true) {
  MachineSpec machine;
  machine.name = "rig";
  machine.system64 = system64;
  machine.processors.resize(2);
  machine.processors[0].msrStart = {{0xC0010042, 0x0000000100000A0Cull}, {0x10, 1000}};
  machine.processors[1].msrStart = {{0xC0010042, 0x0000000200000B0Eull}, {0x10, 2000}};
  PciDeviceSpec hostBridge{0, 0, std::vector<uint8_t>(256, 0)};
  hostBridge.config[0] = 0x86, hostBridge.config[1] = 0x80;  // vendor 0x8086
  hostBridge.config[2] = 0x90, hostBridge.config[3] = 0x25;  // device 0x2590
  PciDeviceSpec northbridge{0, 0xC3, std::vector<uint8_t>(256)};
  for (unsigned i = 0; i < 256; ++i) northbridge.config[i] = static_cast<uint8_t>(i);
  machine.pciDevices = {hostBridge, northbridge};
  machine.biosArea.resize(0x10000);
  for (size_t i = 0; i < machine.biosArea.size(); ++i) {
    machine.biosArea[i] = static_cast<uint8_t>(i * 7);
  }
  return machine;
}

// One simulated "process" using the driver, with a clock, a current processor and a
// time-stamp counter the test moves by hand.
struct DriverRig {
  explicit DriverRig(const MachineSpec& machine, SimFaults faults = {},
                     std::unique_ptr<ServiceStore> store = std::make_unique<MemoryServiceStore>(),
                     int pid = 100)
      : driver(machine, std::move(store),
               SimDriverHost{pid, [this](int p) { return alive.contains(p); },
                             [this](const std::string& path) { return files.contains(path); },
                             [this] { return processor; }, [this] { return nowNs; },
                             [this] { return tsc; }},
               std::move(faults)) {
    alive.insert(pid);
  }

  // Installs and starts the driver service as the program does, then opens the device.
  std::unique_ptr<platform::Device> InstallAndOpen() {
    auto manager = driver.ServiceControl().OpenManager();
    if (!manager) return nullptr;
    manager->CreateDriverService(Name(), Name(), kDriverFile);
    if (auto service = manager->OpenService(Name())) service->Start();
    return driver.DeviceIo().OpenDevice("\\\\.\\" + Name());
  }
  std::string Name() { return driver.Hardware().Is64BitSystem() ? "Portex64" : "Portex32"; }

  std::set<int> alive;
  std::set<std::string> files{kDriverFile, "/opt/pacetta/Portex32"};
  unsigned processor = 0;
  uint64_t nowNs = 0;
  uint64_t tsc = 0;
  SimDriver driver;
};

// One request with word buffers; `out` is resized to `outWords` first.
template <size_t N>
bool Call(platform::Device& device, uint32_t code, const std::array<uint32_t, N>& in,
          std::vector<uint32_t>& out, size_t outWords = N) {
  out.assign(outWords, 0xDEADBEEF);
  uint32_t returned = 0;
  return device.Control(code, in.data(), N * 4, out.data(), static_cast<uint32_t>(outWords * 4),
                        &returned);
}

inline bool ReadMsr(platform::Device& device, uint32_t index, MsrRequest& request) {
  request = MsrRequest{index};
  return device.Control(driver::kReadMsr, &request, sizeof request, &request, sizeof request,
                        nullptr);
}

inline bool WriteMsr(platform::Device& device, uint32_t index, uint64_t value) {
  MsrRequest request{index, static_cast<uint32_t>(value >> 32), static_cast<uint32_t>(value)};
  return device.Control(driver::kWriteMsr, &request, sizeof request, &request, sizeof request,
                        nullptr);
}

inline uint32_t ReadPort(platform::Device& device, uint32_t code, uint32_t port) {
  std::vector<uint32_t> out;
  EXPECT_TRUE(Call<2>(device, code, {port, 0}, out));
  return out[1];
}

inline void WritePort(platform::Device& device, uint32_t code, uint32_t port, uint32_t value) {
  std::vector<uint32_t> out;
  EXPECT_TRUE(Call<2>(device, code, {port, value}, out));
}

}  // namespace pacetta::sim::testing
