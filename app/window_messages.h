#pragma once
#include <cstdint>

#include "platform/instance.h"

namespace pacetta {

// The main window's identity: a second instance finds it by class and caption.
inline constexpr const char* kMainWindowClass = "#32770";

// Messages the main window understands from a second instance and from add-ins.
inline constexpr uint32_t kMsgResume = platform::kWmUser + 257;      // 0x0501
inline constexpr uint32_t kMsgShow = platform::kWmUser + 258;        // 0x0502
inline constexpr uint32_t kMsgRestart = platform::kWmUser + 259;     // 0x0503
inline constexpr uint32_t kMsgSetProfile = platform::kWmUser + 260;  // 0x0504
// Requests of the professional-features module, answered synchronously.
inline constexpr uint32_t kMsgGetProfile = platform::kWmUser + 261;    // 0x0505
inline constexpr uint32_t kMsgPowerSource = platform::kWmUser + 262;   // 0x0506
inline constexpr uint32_t kMsgBatteryLevel = platform::kWmUser + 263;  // 0x0507
inline constexpr uint32_t kMsgTemperature = platform::kWmUser + 264;   // 0x0508
inline constexpr uint32_t kMsgPowerEvent = platform::kWmUser + 265;    // 0x0509
inline constexpr uint32_t kMsgPowerScheme = platform::kWmUser + 266;   // 0x050A

// The power-event mark that request 0x0509 reads and clears.
inline constexpr int32_t kPowerEventNone = 0;
inline constexpr int32_t kPowerEventSuspend = 1;
inline constexpr int32_t kPowerEventResume = 2;

// wParam of kMsgSetProfile that steps instead of naming a profile.
inline constexpr uint32_t kProfilePrevious = 0x100;
inline constexpr uint32_t kProfileNext = 0x101;
// lParam of kMsgSetProfile: which slot of the selection in use changes.
inline constexpr int32_t kProfileSlotAc = 0;
inline constexpr int32_t kProfileSlotBattery = 1;
inline constexpr int32_t kProfileSlotBoth = 2;
inline constexpr int32_t kProfileSlotCurrent = 3;

}  // namespace pacetta
