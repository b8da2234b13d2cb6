#pragma once
#include <array>
#include <functional>

#include "app/strings/string_table.h"
#include "ui/pages/profile/os_tab.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSpinBox;

namespace pacetta::ui {

// A profile's OS settings on the older generation: the scheme it activates ("Custom" is
// the program's own), whether that scheme's processor policy is switched off, the
// program's scheme's time-outs in minutes and the panel's brightness, each for AC power
// and battery.
class OsSettingsTab final : public OsTab {
 public:
  struct Column {
    QSpinBox* monitor = nullptr;
    QSpinBox* disks = nullptr;
    QSpinBox* standby = nullptr;
    QSpinBox* hibernate = nullptr;
    QComboBox* lcd = nullptr;  // the panel's levels, each as its level
  };

  // `confirmProcessorPolicy` asks whether the selected scheme's processor policy may be
  // replaced for good; the box is ticked only on yes.
  OsSettingsTab(const StringTable& strings, std::function<bool()> confirmProcessorPolicy,
                QWidget* parent = nullptr);

  void Show(const Profile& profile, const OsSettingsOffer& offer) override;
  void Take(Profile& profile) const override;

 private:
  void FollowSwitches();

  QCheckBox* useScheme_ = nullptr;
  QComboBox* scheme_ = nullptr;  // scheme indexes as data, -1 the program's own
  QCheckBox* disableProcessorPolicy_ = nullptr;
  QGroupBox* custom_ = nullptr;
  QCheckBox* manageLcd_ = nullptr;
  std::array<Column, 2> columns_;
  const StringTable& strings_;
  QLabel* lcdLabel_ = nullptr;
  OsSettingsOffer offer_;
  std::function<bool()> confirm_;
};

}  // namespace pacetta::ui
