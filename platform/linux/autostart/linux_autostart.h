#pragma once
#include <string>

#include "platform/autostart.h"

namespace pacetta::linux_os {

// Start at logon for the desktop of a Linux user:
// - the login entry is the desktop entry $XDG_CONFIG_HOME/autostart/pacetta.desktop;
// - the session service is the user unit $XDG_CONFIG_HOME/systemd/user/pacetta.service,
//   wanted by graphical-session.target. It is enabled by the link that `systemctl --user
//   enable` would make, so the files are right without a running service manager, which
//   reads them at the next logon.
class LinuxAutostart final : public platform::Autostart {
 public:
  // `configFolder`: the user's configuration folder (UserConfigFolder()); empty: every
  // operation fails.
  explicit LinuxAutostart(std::string configFolder);

  bool Set(platform::AutostartWay way, const platform::AutostartProgram& program) override;
  bool SwitchedOff(platform::AutostartWay way) override;

  const std::string& EntryPath() const { return entryPath_; }
  const std::string& UnitPath() const { return unitPath_; }
  const std::string& WantsLinkPath() const { return wantsLink_; }

 private:
  bool WriteEntry(const platform::AutostartProgram& program);
  bool WriteService(const platform::AutostartProgram& program);
  bool RemoveEntry();
  bool RemoveService();
  // `systemctl --user mask` replaced the unit by a link to /dev/null.
  bool UnitMasked() const;

  std::string configFolder_;
  std::string entryPath_;
  std::string unitPath_;
  std::string wantsLink_;
};

}  // namespace pacetta::linux_os
