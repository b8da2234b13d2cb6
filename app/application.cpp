#include "app/application.h"

#include <cstdio>
#include <cstring>

#include "cpu/sensors/cycle_counter.h"
#include "hw/pinning.h"

namespace pacetta {

Application::Application(platform::Platform& platform, platform::MessageBoxes& boxes,
                         CPortexDriver& driver, std::vector<std::string> restartArguments)
    : platform_(platform),
      boxes_(boxes),
      driver_(driver),
      restartArguments_(std::move(restartArguments)),
      osPower_(platform.osPower, platform.system.Version().major),
      addins_(platform.system, platform.system.ModuleFolder()) {}

StartupOutcome Application::Start(const Command& command, int& exitCode) {
  StartupServices services{platform_, boxes_, strings_, driver_};
  StartupResult result = RunStartup(services, command);
  exitCode = result.exitCode;
  if (result.outcome == StartupOutcome::kRun) state_ = std::move(result.state);
  return result.outcome;
}

int Application::Exit(bool restart) {
  // The pages that used them are gone by now.
  addins_.Unload(AddinId::kTollund);
  addins_.Unload(AddinId::kVireon);
  state_.runningEvent.reset();
  DisableUserCountersWhenLastUser();
  UnpinThread(platform_.processors);
  state_.processors.clear();
  strings_ = StringTable();  // frees the language module
  if (restart) {
    // The new instance must find the driver service still installed: this exit keeps
    // it whatever the use count says, and the new instance adds its own use.
    const uint32_t previous = driver_.KeepServiceForRestart();
    if (!platform_.system.StartProcess(platform_.system.ProgramPath(), restartArguments_)) {
      driver_.SetUnloadPolicy(previous);  // no new instance: the usual policy applies
      return 1;
    }
  }
  return 0;
}

void Application::DisableUserCountersWhenLastUser() {
  // Only a 32-bit system lets user mode read the counters; another user of the driver
  // may still rely on it.
  uint32_t users = 0;
  if (state_.is64BitSystem || !driver_.GetUseCount(users) || users > 1) return;
  SensorHardware hardware{driver_, platform_.cpu, state_.entryPoints, state_.northbridge.get()};
  for (const CpuInfo& cpu : state_.processors) {
    PinToProcessor(platform_.processors, cpu.index);
    DisableUserCounterReads(hardware);
  }
}

std::string DescribeProcessorRecord(const CpuInfo& cpu) {
  char vendor[13] = {};
  const auto& leaf0 = cpu.standardLeaves[0];
  std::memcpy(vendor, &leaf0.ebx, 4);
  std::memcpy(vendor + 4, &leaf0.edx, 4);
  std::memcpy(vendor + 8, &leaf0.ecx, 4);
  char line[160];
  std::snprintf(line, sizeof line, "CPU %u: package %u, secondary %u, partner %d, vendor %s",
                cpu.index, cpu.packageId, cpu.isSecondary, cpu.partnerIndex,
                vendor[0] ? vendor : "unknown");
  return line;
}

}  // namespace pacetta
