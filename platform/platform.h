#pragma once
#include "platform/autostart.h"
#include "platform/batteries.h"
#include "platform/cpu_instructions.h"
#include "platform/driver_service.h"
#include "platform/ftp_client.h"
#include "platform/instance.h"
#include "platform/kernel_cpu.h"
#include "platform/local_time.h"
#include "platform/log_files.h"
#include "platform/os_entry_points.h"
#include "platform/os_power.h"
#include "platform/power.h"
#include "platform/priorities.h"
#include "platform/processes.h"
#include "platform/processors.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/update_files.h"
#include "platform/user_session.h"

namespace pacetta::platform {

// The operating-system services the program uses, chosen once at start: the real
// Linux machine or the simulated PC. The backend object owns them; this is a view.
struct Platform {
  CpuInstructions& cpu;
  Processors& processors;
  ServiceControl& serviceControl;
  DeviceIo& deviceIo;
  Registry& registry;
  NamedEvents& events;
  Windows& windows;
  System& system;
  OsEntryPoints& entryPoints;
  Power& power;
  Priorities& priorities;
  LogFiles& logFiles;
  LocalClock& localClock;
  Processes& processes;
  KernelCpu& kernelCpu;
  Autostart& autostart;
  Batteries& batteries;
  // The system's power schemes and panel brightness; null where the backend has none.
  OsPower* osPower = nullptr;
  // The user's programs, idle time and system power requests; null where the backend has
  // none.
  UserSession* session = nullptr;
  // The update server and the files of installing an update; null where the backend has
  // none.
  FtpClient* ftp = nullptr;
  UpdateFiles* updateFiles = nullptr;
};

}  // namespace pacetta::platform
