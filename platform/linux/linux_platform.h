#pragma once
#include <memory>

#include "platform/linux/autostart/linux_autostart.h"
#include "platform/linux/battery_devices.h"
#include "platform/linux/file_registry.h"
#include "platform/linux/ftp/linux_ftp_client.h"
#include "platform/linux/helper_device.h"
#include "platform/linux/helper_service_control.h"
#include "platform/linux/kernel_cpu/linux_kernel_cpu.h"
#include "platform/linux/linux_cpu_instructions.h"
#include "platform/linux/linux_local_clock.h"
#include "platform/linux/linux_log_files.h"
#include "platform/linux/linux_os_entry_points.h"
#include "platform/linux/linux_os_power.h"
#include "platform/linux/linux_priorities.h"
#include "platform/linux/linux_processes.h"
#include "platform/linux/linux_processors.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/linux_user_session.h"
#include "platform/linux/lock_file_events.h"
#include "platform/linux/power_watch.h"
#include "platform/linux/socket_windows.h"
#include "platform/linux/update_files.h"
#include "platform/platform.h"

namespace pacetta::linux_os {

// The real machine: every service backed by Linux.
class LinuxPlatform {
 public:
  LinuxPlatform();
  platform::Platform& View() { return view_; }
  FileRegistry& Settings() { return registry_; }

 private:
  LinuxCpuInstructions cpu_;
  LinuxProcessors processors_;
  HelperServiceControl serviceControl_;
  HelperDeviceIo deviceIo_;
  FileRegistry registry_;
  LockFileEvents events_;
  SocketWindows windows_;
  LinuxSystem system_;
  LinuxOsEntryPoints entryPoints_;
  LinuxPower power_;
  LinuxBatteries batteries_;
  LinuxPriorities priorities_;
  LinuxLogFiles logFiles_;
  LinuxLocalClock localClock_;
  LinuxProcesses processes_;
  LinuxAutostart autostart_;
  LinuxOsPower osPower_;
  LinuxUserSession session_;
  LinuxFtpClient ftp_;
  LinuxUpdateFiles updateFiles_;
  // Its writes go through the helper's device.
  std::unique_ptr<platform::KernelCpu> kernelCpu_;
  platform::Platform view_;
};

}  // namespace pacetta::linux_os
