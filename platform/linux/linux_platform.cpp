#include "platform/linux/linux_platform.h"

#include "platform/linux/autostart/config_files.h"

namespace pacetta::linux_os {

LinuxPlatform::LinuxPlatform()
    : registry_(FileRegistry::DefaultPath("settings.json")),
      autostart_(UserConfigFolder()),
      kernelCpu_(MakeLinuxKernelCpu(deviceIo_, "\\\\.\\Portex64")),
      view_{cpu_,        processors_, serviceControl_, deviceIo_,  registry_,   events_,
            windows_,    system_,     entryPoints_,    power_,     priorities_, logFiles_,
            localClock_, processes_,  *kernelCpu_,     autostart_, batteries_} {
  view_.osPower = &osPower_;
  view_.session = &session_;
  view_.ftp = &ftp_;
  view_.updateFiles = &updateFiles_;
}

}  // namespace pacetta::linux_os
