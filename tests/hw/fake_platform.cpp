#include "fake_platform.h"

#include <array>
#include <cstring>

namespace pacetta::testing {

namespace {

class FakeService : public platform::Service {
 public:
  explicit FakeService(DriverWorld& world) : world_(world) {}
  ~FakeService() override { world_.calls.push_back("close service"); }

  bool Start() override {
    world_.calls.push_back("start");
    if (world_.state == platform::ServiceState::kRunning) return false;
    if (world_.startableFiles.count(world_.binaryPath) == 0) return false;
    world_.state = platform::ServiceState::kRunning;
    return true;
  }
  bool QueryStatus(platform::ServiceStatus& status) override {
    world_.calls.push_back("query");
    if (world_.statusQueryFails) return false;
    if (!world_.scriptedStatuses.empty()) {
      status = world_.scriptedStatuses.front();
      world_.scriptedStatuses.pop_front();
      world_.state = status.state;
      return true;
    }
    status = {world_.state, 0, 0};
    return true;
  }
  bool Stop() override {
    world_.calls.push_back("stop");
    world_.state = platform::ServiceState::kStopped;
    return true;
  }
  bool Delete() override {
    world_.calls.push_back("delete");
    world_.installed = false;
    world_.binaryPath.clear();
    return true;
  }

 private:
  DriverWorld& world_;
};

class FakeManager : public platform::ServiceManager {
 public:
  explicit FakeManager(DriverWorld& world) : world_(world) {}
  ~FakeManager() override { world_.calls.push_back("close manager"); }

  std::unique_ptr<platform::Service> CreateDriverService(const std::string& name,
                                                         const std::string& displayName,
                                                         const std::string& path) override {
    world_.calls.push_back("create " + name + " " + displayName + " " + path);
    if (world_.installed) return nullptr;
    world_.installed = true;
    world_.binaryPath = path;
    world_.state = platform::ServiceState::kStopped;
    return std::make_unique<FakeService>(world_);
  }
  std::unique_ptr<platform::Service> OpenService(const std::string& name) override {
    world_.calls.push_back("open " + name);
    if (world_.serviceOpenRefused || !world_.installed) return nullptr;
    return std::make_unique<FakeService>(world_);
  }

 private:
  DriverWorld& world_;
};

class FakeDevice : public platform::Device {
 public:
  explicit FakeDevice(DriverWorld& world) : world_(world) {}

  bool Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
               uint32_t* returned) override {
    world_.requests.push_back(code);
    std::array<uint32_t, 7> words{};
    std::memcpy(words.data(), in, std::min<size_t>(inSize, sizeof words));
    if (world_.failingCodes.count(code) != 0 || !Answer(code, words)) {
      // A failing driver may leave anything in the output.
      std::memset(out, 0xAB, outSize);
      return false;
    }
    std::memcpy(out, words.data(), std::min<size_t>(outSize, sizeof words));
    *returned = outSize;
    return true;
  }

 private:
  bool Answer(uint32_t code, std::array<uint32_t, 7>& w) {
    switch (code) {
      case driver::kQueryVersion:
        w = {world_.versionMajor, world_.versionMinor};
        return true;
      case driver::kChangeUseCount:
        if (w[0] != driver::kUseCountTag) return false;
        if (w[1] == 0 && world_.useCountQueryFails) return false;
        world_.useCount += static_cast<int32_t>(w[1]);
        w[0] = static_cast<uint32_t>(world_.useCount);
        return true;
      case driver::kReadMsr: {
        const auto found = world_.msrs.find(w[0]);
        if (found == world_.msrs.end()) return false;
        w[1] = static_cast<uint32_t>(found->second >> 32);
        w[2] = static_cast<uint32_t>(found->second);
        return true;
      }
      case driver::kWriteMsr:
        world_.msrs[w[0]] = (uint64_t{w[1]} << 32) | w[2];
        return true;
      case driver::kReadPortByte:
        w[1] = world_.ports[w[0]] & 0xFFu;
        return true;
      case driver::kReadPortWord:
        w[1] = world_.ports[w[0]] & 0xFFFFu;
        return true;
      case driver::kReadPortDword:
        w[1] = world_.ports[w[0]];
        return true;
      case driver::kWritePortByte:
      case driver::kWritePortWord:
      case driver::kWritePortDword:
        world_.portWrites.emplace_back(w[0], w[1]);
        return true;
      case driver::kRunKernelRoutine:
        world_.lastKernelBlock = {w[0], w[1], w[2], w[3], w[4], w[5], w[6]};
        if (w[6] == static_cast<uint32_t>(driver::KernelRoutine::kK7Transition)) w[1] = 3;
        return true;
      default:
        return false;
    }
  }

  DriverWorld& world_;
};

}  // namespace

std::unique_ptr<platform::ServiceManager> FakeServiceControl::OpenManager() {
  world_.calls.push_back("open manager");
  if (!world_.managerAvailable) return nullptr;
  return std::make_unique<FakeManager>(world_);
}

std::unique_ptr<platform::Device> FakeDeviceIo::OpenDevice(const std::string& path) {
  world_.calls.push_back("open device " + path);
  if (world_.deviceRefused || !world_.installed || world_.state != platform::ServiceState::kRunning)
    return nullptr;
  return std::make_unique<FakeDevice>(world_);
}

void FakeSystem::Sleep(std::chrono::milliseconds duration) {
  sleepsMs.push_back(static_cast<uint32_t>(duration.count()));
  tick += static_cast<uint32_t>(duration.count());
}

std::optional<bool> FakeSystem::IsEmulated32On64() {
  ++emulationQueries;
  return emulated;
}

bool FakeProcessors::SetThreadAffinity(uint64_t mask) {
  affinityCalls.push_back(mask);
  log.push_back("pin " + std::to_string(mask));
  if ((mask & systemMask) == 0) return false;
  threadMask = mask;
  return true;
}

unsigned FakeProcessors::CurrentProcessor() {
  for (unsigned k = 0; k < 64; ++k)
    if (threadMask & (uint64_t{1} << k)) return k;
  return 0;
}

platform::CpuidResult FakeCpu::Cpuid(uint32_t leaf, uint32_t subleaf) {
  const unsigned here = processors_.CurrentProcessor();
  if (leaf == 0) askedOn.push_back(here);
  const auto& mine = leaves[here];
  const auto found = mine.find({leaf, subleaf});
  return found == mine.end() ? platform::CpuidResult{} : found->second;
}

void FakePlatform::InstallHelperFile(const std::string& name) {
  const std::string path = "/opt/pacetta/" + name;
  system.files.insert(path);
  world.startableFiles.insert(path);
}

}  // namespace pacetta::testing
