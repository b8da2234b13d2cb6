#pragma once
#include <QWidget>
#include <functional>

#include "app/advanced/k8_advanced.h"
#include "app/strings/string_table.h"
#include "cpu/advanced/k8/k8_cpu_setup.h"
#include "cpu/advanced/k8/k8_presets.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace pacetta::ui {

// The K8 page's "CPU setup" tab: the northbridge's mode byte of each ACPI state (one state
// shown at a time), the alternate VID, the clock power/timing fields, their presets, and
// "Apply these settings at startup".
class CpuSetupTab final : public QWidget {
 public:
  // `confirmAltVid` asks whether the alternate-VID mode may really be ticked; `edited`
  // follows every change the user makes.
  CpuSetupTab(const StringTable& strings, const K8PageFacts& facts,
              std::function<bool()> confirmAltVid, std::function<void()> edited);

  // Shows `setup`; the ACPI state in view stays the one chosen.
  void Show(const k8::CpuSetup& setup);
  void ShowRememberAdvanced(bool remember);
  // The values as edited, the state in view included.
  k8::CpuSetup Setup();
  bool RememberAdvanced() const;

  // The preset menus' entries, as choosing one does.
  void LoadAcpiPreset(k8::AcpiPreset preset);
  void LoadClockPreset(k8::ClockPreset preset);

 private:
  void ShowState(int state);
  void StoreShownState();
  void AutoAdjust();
  void OnAltVidTicked(bool checked);
  void FollowEdits();

  const K8PageFacts facts_;
  std::function<bool()> confirmAltVid_;
  std::function<void()> edited_;
  k8::CpuSetup setup_;
  int shownState_ = 0;
  bool showing_ = false;  // controls are being set, not edited

  QToolButton* acpiPresets_ = nullptr;
  QComboBox* state_ = nullptr;
  QComboBox* divisor_ = nullptr;
  QCheckBox* cpuLowPower_ = nullptr;
  QCheckBox* northbridgeLowPower_ = nullptr;
  QCheckBox* fidVidChange_ = nullptr;
  QCheckBox* altVidChange_ = nullptr;
  QComboBox* altVid_ = nullptr;
  QSpinBox* vsTime_ = nullptr;
  QPushButton* autoAdjust_ = nullptr;
  QToolButton* clockPresets_ = nullptr;
  QComboBox* goodPhaseError_ = nullptr;
  QComboBox* rampHysteresis_ = nullptr;
  QSpinBox* pllLock_ = nullptr;
  QCheckBox* remember_ = nullptr;
};

}  // namespace pacetta::ui
