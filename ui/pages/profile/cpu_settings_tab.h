#pragma once
#include <QWidget>
#include <array>
#include <functional>

#include "app/lifecycle/start_calibration.h"
#include "app/strings/string_table.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/pstate_table.h"

class QCheckBox;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace pacetta::ui {

// A profile's CPU settings, one column for AC power and one for battery: the states and
// throttle levels the manager may use (check lists over the enabled table rows and the
// eight levels), the target load and the up and down intervals.
class CpuSettingsTab final : public QWidget {
 public:
  struct Column {
    QCheckBox* useStates = nullptr;
    QTreeWidget* states = nullptr;  // one item per enabled row, its index as data
    QCheckBox* useThrottle = nullptr;
    QTreeWidget* throttles = nullptr;  // levels 1..8
    QSpinBox* targetLoad = nullptr;
    QSpinBox* upInterval = nullptr;
    QSpinBox* downInterval = nullptr;
  };

  explicit CpuSettingsTab(const StringTable& strings, QWidget* parent = nullptr);

  // Shows profile `index` on `table`: only what the processor can do may be changed,
  // nothing on "No management", one state and one level on "Power saving" and "Maximal
  // performance", a load target only where several states may be used.
  void Show(const Profile& profile, int32_t index, const PStateTable& table, const CpuInfo& cpu,
            ControlAbilities abilities);
  // The shown CPU settings over `profile`'s.
  void Take(Profile& profile) const;
  void SetOnEdited(std::function<void()> edited) { edited_ = std::move(edited); }

  Column& Half(bool battery) { return columns_[battery ? 1 : 0]; }

 private:
  void FollowSwitches();
  void OnTicked(QTreeWidget& list, QTreeWidgetItem* item);
  void Edited();

  std::array<Column, 2> columns_;
  PStateTable table_;
  const CpuInfo* cpu_ = nullptr;
  int32_t index_ = kNoManagementProfile;
  ControlAbilities abilities_;
  bool showing_ = false;
  std::function<void()> edited_;
};

}  // namespace pacetta::ui
