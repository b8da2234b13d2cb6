#pragma once
#include "platform/autostart.h"

namespace pacetta::sim {

// Start at logon on the simulated PC: what the program installs is kept here, never
// written to the host, so that trying the program leaves the user's desktop as it was.
class RecordingAutostart final : public platform::Autostart {
 public:
  bool Set(platform::AutostartWay way, const platform::AutostartProgram& program) override;
  bool SwitchedOff(platform::AutostartWay way) override;

  // The user switches the installed entry off in the desktop's settings.
  void SwitchOffInDesktop() { switchedOff_ = installed_ != platform::AutostartWay::kOff; }
  platform::AutostartWay Installed() const { return installed_; }
  const platform::AutostartProgram& Program() const { return program_; }
  // How often the entries were set.
  int SetCount() const { return sets_; }

 private:
  platform::AutostartWay installed_ = platform::AutostartWay::kOff;
  platform::AutostartProgram program_;
  bool switchedOff_ = false;
  int sets_ = 0;
};

}  // namespace pacetta::sim
