#pragma once
#include "engine/profiles/profile.h"
#include "ui/window/page.h"

class QPushButton;
class QTabWidget;

namespace pacetta::ui {

class CpuSettingsTab;
class OsTab;

// The page of one profile, shared by every profile item: its CPU settings, its OS
// settings (as the system's power generation shapes them), "Rename", "Delete", "Defaults"
// and "Apply". Edits a copy of the loaded profile; leaving it, or loading another profile,
// with changes asks whether to apply them.
class ProfilePage final : public Page {
 public:
  explicit ProfilePage(PageContext context);

  void LoadProfile(int32_t index) override;
  void Reload() override;
  void ApplyWithoutAsking() override;
  bool AgreeToLeave() override;

  int32_t Index() const { return index_; }
  bool Pending();
  CpuSettingsTab& CpuSettings() { return *cpu_; }
  OsTab& OsSettings() { return *os_; }
  QTabWidget& Tabs() { return *tabs_; }

 private:
  void Show(const Profile& profile);
  // The loaded profile with the page's edits.
  Profile Edited() const;
  void AskToApply();
  void FollowEdits();
  void Apply();
  void Rename();
  void Delete();
  void Defaults();

  QTabWidget* tabs_ = nullptr;
  CpuSettingsTab* cpu_ = nullptr;
  OsTab* os_ = nullptr;
  QPushButton* rename_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* defaults_ = nullptr;
  QPushButton* apply_ = nullptr;
  int32_t index_ = -1;  // none loaded
  // The loaded profile as the page shows it unedited (its lists in the page's order).
  Profile loaded_;
};

}  // namespace pacetta::ui
