#include "platform/sim/driver/register_trace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "driver_rig.h"
#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/models/attach_models.h"
#include "tests/test_support/captured_output.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::sim::testing {
namespace {

using namespace std::chrono_literals;
using pacetta::testing::Capture;
using pacetta::testing::TempFolder;

constexpr uint32_t kFidVidControl = 0xC0010041;
constexpr uint32_t kFidVidStatus = 0xC0010042;
constexpr uint32_t kHwcr = 0xC0010015;
constexpr uint64_t kInitFidVid = 1u << 16;

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

std::string Hex(uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

// The catalogue's dual-core K8 laptop, with a BIOS area as a machine file's sidecar gives it.
MachineSpec K8Laptop() {
  MachineSpec machine = LoadMachine(kDefaultCatalogueMachine).value();
  machine.biosArea.assign(0x10000, 0);
  return machine;
}

// The K8 laptop with its register models, its driver traced to `path`, and a clock the
// test moves by hand.
struct TracedK8 {
  explicit TracedK8(const std::string& path, SimFaults faults = {}, MachineSpec spec = K8Laptop())
      : machine(std::move(spec)),
        driver(machine, std::make_unique<MemoryServiceStore>(), Host(), std::move(faults),
               Trace(path)),
        models(AttachProcessorModels(machine, driver.Hardware(), [this] { return nowNs.load(); })) {
  }

  SimDriverHost Host() {
    return SimDriverHost{100,
                         [](int) { return true; },
                         [](const std::string&) { return true; },
                         [this] { return processor.load(); },
                         [this] { return nowNs.load(); },
                         [] { return uint64_t{0}; }};
  }
  std::shared_ptr<RegisterTrace> Trace(const std::string& path) {
    std::string error;
    auto file = TraceFile::Open(path, error);
    EXPECT_NE(file, nullptr) << error;
    return std::make_shared<RegisterTrace>(
        std::move(file), [this] { return nowNs.load(); }, notices.get());
  }

  std::unique_ptr<platform::Device> InstallAndOpen() {
    const std::string name = driver.Hardware().Is64BitSystem() ? "Portex64" : "Portex32";
    auto manager = driver.ServiceControl().OpenManager();
    if (!manager) return nullptr;
    manager->CreateDriverService(name, name, kDriverFile);
    if (auto service = manager->OpenService(name)) service->Start();
    return driver.DeviceIo().OpenDevice("\\\\.\\" + name);
  }

  Capture notices;
  std::atomic<unsigned> processor{0};
  std::atomic<uint64_t> nowNs{1000};
  MachineSpec machine;
  SimDriver driver;
  ProcessorModels models;
};

TEST(RegisterTrace, EveryKindOfAccessGetsItsLineWithTheViolationsItCaused) {
  TempFolder folder;
  const std::string path = folder.File("trace.tsv");
  SimFaults faults;
  faults.failingMsrReads = {0x10};
  TracedK8 k8(path, faults);
  auto device = k8.InstallAndOpen();
  ASSERT_NE(device, nullptr);
  std::vector<std::string> expected;
  const auto expect = [&](const std::string& fields) {
    expected.push_back(std::to_string(k8.nowNs.load()) + "\t" + fields);
  };

  k8.processor = 1;
  MsrRequest status;
  ASSERT_TRUE(ReadMsr(*device, kFidVidStatus, status));
  expect("1\tmsr-read\t0xC0010042\t8\t" + Hex(status.Value(), 16) + "\tok\t-");
  k8.processor = 0;

  // Two FID codes down from where the part starts, at its present VID: a step it takes.
  ASSERT_TRUE(ReadMsr(*device, kFidVidStatus, status));
  expect("0\tmsr-read\t0xC0010042\t8\t" + Hex(status.Value(), 16) + "\tok\t-");
  const uint64_t fid = status.Value() & 0x3F, vid = status.Value() >> 32 & 0x3F;
  ASSERT_GE(fid, 10u);
  const uint64_t step = uint64_t{1} << 32 | kInitFidVid | vid << 8 | (fid - 2);
  k8.nowNs = 2000;
  ASSERT_TRUE(WriteMsr(*device, kFidVidControl, step));
  expect("0\tmsr-write\t0xC0010041\t8\t" + Hex(step, 16) + "\tok\t-");

  // FID and VID together: the part refuses it, though the write itself does not fault.
  k8.nowNs = 3000;
  const uint64_t both = uint64_t{1} << 32 | kInitFidVid | (vid + 2) << 8 | (fid - 4);
  ASSERT_TRUE(WriteMsr(*device, kFidVidControl, both));
  const auto violations = k8.driver.Hardware().Violations().Entries();
  ASSERT_EQ(violations.size(), 1u);
  expect("0\tmsr-write\t0xC0010041\t8\t" + Hex(both, 16) + "\tok\t" + violations[0].reason);

  EXPECT_FALSE(WriteMsr(*device, kFidVidStatus, 0));  // read-only: the write faults
  expect("0\tmsr-write\t0xC0010042\t8\t0x0000000000000000\tfailed\t-");
  MsrRequest tsc;
  EXPECT_FALSE(ReadMsr(*device, 0x10, tsc));
  expect("0\tmsr-read\t0x00000010\t8\t-\tinjected\t-");

  // A configuration read through the data port names the function the address selects:
  // the northbridge's thermal register, 00:18.3 offset E4h.
  WritePort(*device, driver::kWritePortDword, 0xCF8, 0x8000C3E4);
  expect("0\tport-out\t0x0CF8\t4\t0x8000C3E4\tok\t-");
  const uint32_t thermal = ReadPort(*device, driver::kReadPortWord, 0xCFE);
  expect("0\tpci-read\t00:18.3+0xE6\t2\t" + Hex(thermal, 4) + "\tok\t-");

  std::vector<uint32_t> mapping, none;
  ASSERT_TRUE(Call<4>(*device, driver::kMapPhysicalMemory, {0xF0000, 0, 0x100, 0}, mapping, 2));
  const std::string handle = Hex(uint64_t{mapping[1]} << 32 | mapping[0], 16);
  expect("0\tmap\t0x000F0000+0x100\t8\t" + handle + "\tok\t-");
  ASSERT_TRUE(Call<2>(*device, driver::kUnmapPhysicalMemory, {mapping[0], mapping[1]}, none, 0));
  expect("0\tunmap\t0x000F0000+0x100\t8\t" + handle + "\tok\t-");

  // A violation outside any driver request (a user-mode counter read) is a line of its own.
  k8.driver.Hardware().Violations().Append({1, 0xC1, 0, "user-mode counter read"});
  expect("1\tviolation\t0x000000C1\t8\t0x0000000000000000\t-\tuser-mode counter read");

  const std::vector<std::string> lines = ReadLines(path);
  ASSERT_EQ(lines.size(), expected.size() + 2);
  EXPECT_EQ(lines[0], "# pacetta-sim-trace 1");
  EXPECT_EQ(lines[1], "# time-ns\tcpu\tkind\tregister\twidth\tvalue\tresult\tviolation");
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i + 2], expected[i]);
  EXPECT_EQ(k8.notices.Text(), "");
}

// The monitoring and management threads reach the registers together: a violation goes on
// the line of the access that caused it, even while another thread's access is under way.
TEST(RegisterTrace, AViolationStaysWithTheAccessOfItsOwnThread) {
  TempFolder folder;
  const std::string path = folder.File("trace.tsv");
  MachineSpec machine = K8Laptop();
  machine.system64 = false;  // the 32-bit driver runs kernel routines
  TracedK8 k8(path, {}, machine);
  auto device = k8.InstallAndOpen();
  ASSERT_NE(device, nullptr);
  MsrRequest status;
  ASSERT_TRUE(ReadMsr(*device, kFidVidStatus, status));
  const uint64_t fid = status.Value() & 0x3F, vid = status.Value() >> 32 & 0x3F;
  const uint64_t refused = kInitFidVid | (vid + 2) << 8 | (fid - 2);  // FID and VID together

  // A busy delay on another thread stays under way until the refused write has ended.
  std::promise<void> delaying, written;
  std::shared_future<void> writeDone = written.get_future().share();
  k8.driver.Hardware().SetBusyDelay([&](uint32_t) {
    delaying.set_value();
    writeDone.wait_for(60s);
  });
  std::thread delay([&] {
    driver::KernelCallBlock block;
    block.routine = static_cast<uint32_t>(driver::KernelRoutine::kBusyDelay);
    block.edx = 1000;
    device->Control(driver::kRunKernelRoutine, &block, sizeof block, &block, sizeof block, nullptr);
  });
  const bool inDelay = delaying.get_future().wait_for(60s) == std::future_status::ready;
  const bool writeTaken = inDelay && WriteMsr(*device, kFidVidControl, refused);
  written.set_value();
  delay.join();
  ASSERT_TRUE(inDelay);
  EXPECT_TRUE(writeTaken);

  const std::vector<std::string> lines = ReadLines(path);
  ASSERT_EQ(lines.size(), 5u);
  const std::string time = std::to_string(k8.nowNs.load());
  EXPECT_EQ(lines[3], time + "\t0\tmsr-write\t0xC0010041\t8\t" + Hex(refused, 16) +
                          "\tok\tFID and VID changed in one write");
  EXPECT_EQ(lines[4],
            time + "\t0\troutine\t0x00000001\t8\t" + Hex(uint64_t{1000} << 32, 16) + "\tok\t-");
}

// A full disk, or a pipe whose reader has gone: the trace stops with one notice, and the
// program (here, the test) goes on with its registers.
TEST(RegisterTrace, AFailedWriteStopsTheTraceWithOneNotice) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const std::string pipePath = "/proc/self/fd/" + std::to_string(pipeEnds[1]);
  for (const std::string& target : {std::string("/dev/full"), pipePath}) {
    SCOPED_TRACE(target);
    TracedK8 k8(target);
    if (target == pipePath) {  // the header went through; then the reader goes
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
    }
    auto device = k8.InstallAndOpen();
    ASSERT_NE(device, nullptr);
    MsrRequest status;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(ReadMsr(*device, kFidVidStatus, status));
    EXPECT_TRUE(WriteMsr(*device, kFidVidControl, status.Value() & 0x3F3F));
    EXPECT_FALSE(k8.driver.Hardware().Trace()->Active());
    const std::string notices = k8.notices.Text();
    EXPECT_EQ(notices.find("pacetta: the register trace stopped: "), 0u) << notices;
    EXPECT_EQ(notices.find('\n'), notices.size() - 1) << notices;
  }
}

}  // namespace
}  // namespace pacetta::sim::testing
