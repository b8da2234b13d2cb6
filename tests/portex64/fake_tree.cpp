#include "tests/portex64/fake_tree.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "platform/linux/helper_config.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

// Large enough for every register index the program uses (Transmeta's 0x8086xxxx and
// AMD's 0xC001xxxx): a sparse file costs nothing for the holes.
constexpr off_t kMsrFileSize = 0x100000000ll;
constexpr size_t kPortFileSize = 0x10000;
constexpr size_t kMemoryFileSize = 0x100000;

void WriteAt(const std::string& path, const void* data, size_t size, off_t offset) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0644);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t put = pwrite(fd, data, size, offset);
  close(fd);
}

void ReadAt(const std::string& path, void* data, size_t size, off_t offset) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t got = pread(fd, data, size, offset);
  close(fd);
}

void MakeFile(const std::string& path, off_t size) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  [[maybe_unused]] const int sized = ftruncate(fd, size);
  close(fd);
}

}  // namespace

FakeTree::FakeTree() : processors_(static_cast<unsigned>(sysconf(_SC_NPROCESSORS_CONF))) {
  // Others must reach the socket's folder for the tests that connect as another user.
  std::filesystem::permissions(root_.Path(), std::filesystem::perms(0755));
  for (unsigned cpu = 0; cpu < processors_; ++cpu) {
    const std::string folder = root_.File("cpu/" + std::to_string(cpu));
    std::filesystem::create_directories(folder);
    MakeFile(folder + "/msr", kMsrFileSize);
  }
  MakeFile(root_.File("port"), kPortFileSize);
  std::vector<uint8_t> memory(kMemoryFileSize);
  for (size_t a = 0; a < memory.size(); ++a) memory[a] = MemoryByte(static_cast<uint32_t>(a));
  WriteAt(root_.File("mem"), memory.data(), memory.size(), 0);
  std::filesystem::create_directories(root_.File("pci"));
}

std::vector<std::string> FakeTree::DeviceArguments() const {
  return {"--msr-dir=" + root_.File("cpu"), "--port-file=" + root_.File("port"),
          "--mem-file=" + root_.File("mem"), "--pci-dir=" + root_.File("pci")};
}

void FakeTree::SetMsr(unsigned cpu, uint32_t index, uint64_t value) {
  WriteAt(root_.File("cpu/" + std::to_string(cpu) + "/msr"), &value, 8, index);
}

uint64_t FakeTree::Msr(unsigned cpu, uint32_t index) const {
  uint64_t value = 0;
  ReadAt(root_.File("cpu/" + std::to_string(cpu) + "/msr"), &value, 8, index);
  return value;
}

void FakeTree::SetPortByte(uint32_t port, uint8_t value) {
  WriteAt(root_.File("port"), &value, 1, port);
}

uint32_t FakeTree::Port(uint32_t port, unsigned width) const {
  uint32_t value = 0;
  ReadAt(root_.File("port"), &value, width, port);
  return value;
}

std::string FakeTree::ConfigPath(uint32_t devfn) const {
  char name[32];
  std::snprintf(name, sizeof name, "pci/0000:00:%02x.%x", devfn >> 3, devfn & 7);
  return root_.File(name) + "/config";
}

void FakeTree::SetConfig(uint32_t devfn, uint32_t reg, uint32_t value) {
  const std::string path = ConfigPath(devfn);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  if (!std::filesystem::exists(path)) MakeFile(path, 256);
  WriteAt(path, &value, 4, reg);
}

uint32_t FakeTree::Config(uint32_t devfn, uint32_t reg) const {
  uint32_t value = 0;
  ReadAt(ConfigPath(devfn), &value, 4, reg);
  return value;
}

std::string HelperBinary() {
  // Appended in place: GCC 12 warns (falsely) of array bounds for the temporary's `+`.
  std::string path = PACETTA_BIN_DIR;
  path += "/Portex64";
  return path;
}

HelperProcess::HelperProcess(const FakeTree& tree, std::vector<std::string> extra,
                             std::vector<std::string> environment) {
  std::vector<std::string> arguments = tree.DeviceArguments();
  arguments.push_back("--socket=" + tree.SocketPath());
  arguments.push_back("--foreground");
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  child_ = std::make_unique<ChildProcess>(HelperBinary(), arguments, environment);
  ready_ = child_->Started() && child_->WaitForOutput("listening on", 30s);
}

std::string HelperProcess::Diagnostics() {
  return child_->Output() + child_->Errors();
}

std::unique_ptr<platform::Device> OpenHelperDevice(const FakeTree& tree, int processor) {
  linux_os::HelperConfig config;
  config.socketPath = tree.SocketPath();
  std::function<unsigned()> current;
  if (processor >= 0) current = [processor] { return static_cast<unsigned>(processor); };
  linux_os::HelperDeviceIo io(config, current);
  return io.OpenDevice("\\\\.\\Portex64");
}

bool Request(platform::Device& device, uint32_t code, std::vector<uint32_t> in, uint32_t outWords,
             std::vector<uint32_t>* out) {
  std::vector<uint32_t> answer(outWords, 0xDEADBEEFu);
  uint32_t returned = 0;
  const bool ok =
      device.Control(code, in.empty() ? nullptr : in.data(), static_cast<uint32_t>(in.size() * 4),
                     answer.empty() ? nullptr : answer.data(), outWords * 4, &returned);
  if (out) *out = answer;
  return ok;
}

}  // namespace pacetta::testing
