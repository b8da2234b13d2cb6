#pragma once
#include <array>

#include "engine/profiles/profile_store.h"
#include "ui/window/page.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace pacetta::ui {

class StateRows;

// "Profiles": which profile is used on AC power and on battery, now and after a start,
// and the performance-state table. Edits copies until "Apply"; leaving the page with
// changes asks whether to apply them.
class ProfilesPage final : public Page {
 public:
  explicit ProfilesPage(PageContext context);

  void Reload() override;
  void ApplyWithoutAsking() override;
  bool AgreeToLeave() override;

  bool Pending();
  StateRows& Rows() { return *rows_; }

 private:
  // The four selection lists: current and start-up, each for AC power and battery.
  enum List { kCurrentAc, kCurrentDc, kStartupAc, kStartupDc, kListCount };

  void FillSelectionLists(ProfileSelection current, ProfileSelection startup);
  ProfileSelection Chosen(List ac, List dc) const;
  void FollowEdits();
  void Apply();
  void Defaults();
  void NewProfile();

  std::array<QComboBox*, kListCount> lists_{};
  StateRows* rows_ = nullptr;
  QCheckBox* autoAdjust_ = nullptr;
  QPushButton* newProfile_ = nullptr;
  QPushButton* defaults_ = nullptr;
  QPushButton* apply_ = nullptr;
  // The editor's row count changed ("Defaults" on another range): applying resets every
  // profile's state choices.
  bool rangeChanged_ = false;
  bool showing_ = false;
};

}  // namespace pacetta::ui
