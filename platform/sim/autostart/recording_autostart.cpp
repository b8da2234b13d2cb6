#include "platform/sim/autostart/recording_autostart.h"

namespace pacetta::sim {

bool RecordingAutostart::Set(platform::AutostartWay way,
                             const platform::AutostartProgram& program) {
  ++sets_;
  // Every entry written is switched on.
  switchedOff_ = false;
  installed_ = way;
  program_ = way == platform::AutostartWay::kOff ? platform::AutostartProgram{} : program;
  return true;
}

bool RecordingAutostart::SwitchedOff(platform::AutostartWay way) {
  return way != platform::AutostartWay::kOff && way == installed_ && switchedOff_;
}

}  // namespace pacetta::sim
