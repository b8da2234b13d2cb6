#pragma once
#include <array>
#include <memory>

#include "app/advanced/k7_advanced.h"
#include "ui/window/page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pacetta::ui {

// "Advanced CPU settings" on an AMD K7: the clock-control register of every processor and
// the restart-required transition values. The register fields are shown as processor 0
// has them; "Apply" writes them to every processor and, when a restart-required value
// changed, offers the restart.
class AdvancedK7Page final : public Page {
 public:
  AdvancedK7Page(PageContext context, K7Advanced& k7);

  // Shown again: the register as it is now and the stored values; unapplied edits go.
  void Reload() override;
  // The running program writes the applied values again itself: an edit not applied
  // must not reach the hardware.
  void ApplyWithoutAsking() override {}
  void StoreState() override;

  k7::ClockControl EditedClock() const;
  K7RestartValues EditedRestartValues() const;

 private:
  void Refresh();
  void ShowClock(const k7::ClockControl& clock);
  void ShowRestartValues(const K7RestartValues& values);
  void FollowEdits();
  void Apply();

  K7Advanced& k7_;
  QComboBox* haltDivisor_ = nullptr;
  QComboBox* stopGrantDivisor_ = nullptr;
  QSpinBox* fullRamp_ = nullptr;
  // Ramp delay n's list, n = 0..4 (shown right to left).
  std::array<QComboBox*, k7::kRampDelayCount> rampDelays_{};
  QCheckBox* apicDisconnect_ = nullptr;
  QGroupBox* transitions_ = nullptr;
  QSpinBox* stopGrantTimeout_ = nullptr;
  QSpinBox* fidDelay_ = nullptr;
  QSpinBox* vidDelay_ = nullptr;
  QRadioButton* mobileVids_ = nullptr;
  QRadioButton* desktopVids_ = nullptr;
  QCheckBox* remember_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* apply_ = nullptr;
  // What the page showed last: the register as read, the stored values.
  k7::ClockControl shownClock_;
  K7RestartValues storedRestart_;
  bool storedRemember_ = false;
  bool showing_ = false;  // controls are being set, not edited
};

// Registered in the page catalogue: present when processor 0 gets the K7 page and the
// program has the K7's settings.
bool HasAdvancedK7Page(const DesktopModel& model);
std::unique_ptr<Page> MakeAdvancedK7Page(PageContext context);

}  // namespace pacetta::ui
