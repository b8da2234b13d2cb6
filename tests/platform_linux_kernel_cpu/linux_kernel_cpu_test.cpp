// The writes of LinuxKernelCpu as driver requests to the helper's device.
#include "platform/linux/kernel_cpu/linux_kernel_cpu.h"

#include <gtest/gtest.h>

#include <cstring>

#include "hw/driver_protocol.h"
#include "tests/platform_linux_kernel_cpu/fake_sysfs.h"

namespace pacetta::testing {
namespace {

struct Sent {
  uint32_t code;
  std::vector<uint8_t> in;
  uint32_t outSize;
};

// A device that records each request and answers as told.
class RecordingIo final : public platform::DeviceIo {
 public:
  std::unique_ptr<platform::Device> OpenDevice(const std::string& path) override {
    paths.push_back(path);
    return std::make_unique<RecordingDevice>(*this);
  }
  std::vector<std::string> paths;
  std::vector<Sent> sent;
  bool answer = true;

 private:
  class RecordingDevice final : public platform::Device {
   public:
    explicit RecordingDevice(RecordingIo& io) : io_(io) {}
    bool Control(uint32_t code, const void* in, uint32_t inSize, void*, uint32_t outSize,
                 uint32_t* returned) override {
      const auto* bytes = static_cast<const uint8_t*>(in);
      io_.sent.push_back({code, std::vector<uint8_t>(bytes, bytes + inSize), outSize});
      *returned = 0;
      return io_.answer;
    }

   private:
    RecordingIo& io_;
  };
};

std::vector<uint8_t> Bytes(std::vector<uint32_t> words, const std::string& text = "",
                           size_t textBytes = 0) {
  std::vector<uint8_t> bytes(words.size() * 4 + textBytes, 0);
  std::memcpy(bytes.data(), words.data(), words.size() * 4);
  std::memcpy(bytes.data() + words.size() * 4, text.data(), text.size());
  return bytes;
}

TEST(LinuxKernelCpuTest, WritesTravelAsTheDriversRequests) {
  FakeSysfs fs;
  RecordingIo io;
  linux_os::LinuxKernelCpu cpu(linux_os::SysfsRoot(fs.Root()), io, "\\\\.\\Portex64");
  EXPECT_TRUE(io.paths.empty());  // nothing opened before the first write
  EXPECT_TRUE(cpu.SetLimits(3, 800000, 2400000));
  EXPECT_TRUE(cpu.SetEnergyPreference(3, "balance_performance"));
  EXPECT_TRUE(cpu.SetBoost(false));
  // 24 bytes hold 23 characters and the terminating NUL; a longer text is not cut short.
  EXPECT_FALSE(cpu.SetEnergyPreference(3, std::string(24, 'x')));
  EXPECT_TRUE(cpu.SetEnergyPreference(3, std::string(23, 'x')));
  ASSERT_EQ(io.sent.size(), 4u);
  EXPECT_EQ(io.paths, std::vector<std::string>{"\\\\.\\Portex64"});
  EXPECT_EQ(io.sent[0].code, driver::kSetFrequencyLimits);
  EXPECT_EQ(io.sent[0].in, Bytes({3, 800000, 2400000}));
  EXPECT_EQ(io.sent[1].code, driver::kSetEnergyPreference);
  EXPECT_EQ(io.sent[1].in, Bytes({3}, "balance_performance", 24));
  EXPECT_EQ(io.sent[2].code, driver::kSetBoost);
  EXPECT_EQ(io.sent[2].in, Bytes({0}));
  EXPECT_EQ(io.sent[3].in, Bytes({3}, std::string(23, 'x'), 24));
  for (const Sent& s : io.sent) EXPECT_EQ(s.outSize, 0u);
}

TEST(LinuxKernelCpuTest, AFailedWriteOpensTheDeviceAfreshForTheNext) {
  FakeSysfs fs;
  RecordingIo io;
  linux_os::LinuxKernelCpu cpu(linux_os::SysfsRoot(fs.Root()), io, "dev");
  io.answer = false;
  EXPECT_FALSE(cpu.SetBoost(true));
  io.answer = true;
  EXPECT_TRUE(cpu.SetBoost(true));
  EXPECT_TRUE(cpu.SetBoost(true));
  EXPECT_EQ(io.paths.size(), 2u);
}

TEST(LinuxKernelCpuTest, CompetitorsAreFoundOnceAtTheFirstCall) {
  FakeSysfs fs;
  RecordingIo io;
  linux_os::LinuxKernelCpu cpu(linux_os::SysfsRoot(fs.Root()), io, "dev");
  fs.Process(42, "auto-cpufreq");
  ASSERT_EQ(cpu.Competitors().size(), 1u);
  fs.Process(43, "power-profiles-");
  EXPECT_EQ(cpu.Competitors().size(), 1u);
}

}  // namespace
}  // namespace pacetta::testing
