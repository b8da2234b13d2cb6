#pragma once
#include <array>
#include <vector>

#include "app/strings/string_table.h"
#include "power/plan_settings.h"
#include "ui/pages/profile/os_tab.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace pacetta::ui {

class PlanValueBox;

// A profile's OS settings on the newer generation: the plan it activates ("Custom" is the
// program's own) and the program's plan's settings, subgroup by subgroup, with the active
// and default value of the selected one for AC power and battery, named and bounded as the
// system describes them.
class OsPlanTab final : public OsTab {
 public:
  explicit OsPlanTab(const StringTable& strings, QWidget* parent = nullptr);

  void Show(const Profile& profile, const OsSettingsOffer& offer) override;
  void Take(Profile& profile) const override;

  // Selects setting `index` of the table (the tree's item for it).
  void SelectSetting(int index);

 private:
  void ShowSelected();
  void ValueEdited(size_t which, int shown);
  void FollowSwitches();
  // The tree's texts: the system's names where it gives them, else the identifiers.
  void NameSettings();
  // `preferred` when it can be edited, else the first setting that can.
  int FirstEditable(int preferred) const;

  QCheckBox* usePlan_ = nullptr;
  QComboBox* plan_ = nullptr;  // entry i names plans_[i]
  QTreeWidget* tree_ = nullptr;
  QLabel* noSettings_ = nullptr;
  std::array<QLabel*, 2> valueLabels_{};
  // Active AC, active DC, default AC, default DC: the table's value order.
  std::array<PlanValueBox*, 4> values_{};
  std::vector<QTreeWidgetItem*> settingItems_;  // by the setting's index in the table
  std::vector<QTreeWidgetItem*> groupItems_;    // the subgroup of each setting
  const StringTable& strings_;
  std::vector<std::array<uint8_t, kOsLinkSize>> plans_;
  OsSettingsOffer offer_;
  power::PlanSettingValues table_{};
  bool captured_ = false;  // the profile holds a table
  int selected_ = -1;
  bool loading_ = false;
};

}  // namespace pacetta::ui
