#include "ui/pages/profile/profile_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/desktop/profile_edits.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_text.h"
#include "ui/pages/profile/cpu_settings_tab.h"
#include "ui/pages/profile/os_plan_tab.h"
#include "ui/pages/profile/os_settings_tab.h"
#include "ui/pages/profile_name/profile_name_box.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {}  // namespace

ProfilePage::ProfilePage(PageContext context) : Page(context) {
  setObjectName("ProfilePage");
  const StringTable& strings = Model().Strings();
  tabs_ = MakeOwned<QTabWidget>();
  tabs_->setObjectName("ProfileTabs");
  cpu_ = MakeOwned<CpuSettingsTab>(strings);
  tabs_->addTab(cpu_, PageText(strings, kStrCpuSettingsTab));
  // The generation is the system's, fixed for the run.
  if (Model().OsSettings().generation == power::PowerGeneration::kLegacy) {
    os_ = MakeOwned<OsSettingsTab>(strings, [this] {
      return Host().AskYesNo(kStrOsProcessorPolicyWarning, kStrWarningCaption);
    });
  } else {
    os_ = MakeOwned<OsPlanTab>(strings);
  }
  tabs_->addTab(os_, PageText(strings, kStrOsSettingsTab));

  rename_ = PageButton(strings, kStrRenameProfile, "Rename");
  delete_ = PageButton(strings, kStrDeleteProfile, "Delete");
  defaults_ = PageButton(strings, kStrButtonDefaults, "Defaults");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");
  auto* buttons = PageButtonRow({rename_, delete_}, defaults_, apply_);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(tabs_, 1);
  page->addLayout(buttons);

  cpu_->SetOnEdited([this] { FollowEdits(); });
  os_->SetOnEdited([this] { FollowEdits(); });
  connect(rename_, &QPushButton::clicked, this, [this] { Rename(); });
  connect(delete_, &QPushButton::clicked, this, [this] { Delete(); });
  connect(defaults_, &QPushButton::clicked, this, [this] { Defaults(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  FollowEdits();
}

void ProfilePage::LoadProfile(int32_t index) {
  if (index != index_) AskToApply();
  const Profile* profile = Model().Settings().profiles.At(index);
  index_ = profile != nullptr ? index : -1;
  if (profile == nullptr) {
    FollowEdits();
    return;
  }
  Show(*profile);
  loaded_ = *profile;
  cpu_->Take(loaded_);
  os_->Take(loaded_);
  FollowEdits();
}

void ProfilePage::Reload() {
  const int32_t index = index_;
  index_ = -1;  // what was edited is dropped
  LoadProfile(index);
}

void ProfilePage::Show(const Profile& profile) {
  cpu_->Show(profile, index_, Model().Settings().profiles.Table(), Model().Processors().front(),
             Model().Abilities());
  os_->Show(profile, Model().OsSettings());
}

Profile ProfilePage::Edited() const {
  Profile edited = loaded_;
  cpu_->Take(edited);
  os_->Take(edited);
  return edited;
}

bool ProfilePage::Pending() {
  if (index_ < 0) return false;
  const Profile edited = Edited();
  return !SameCpuSettings(edited, loaded_) || !SameOsSettings(edited, loaded_);
}

void ProfilePage::AskToApply() {
  if (!Pending()) return;
  if (Host().AskYesNo(kStrProfileModified, kStrConfirmCaption)) Apply();
}

bool ProfilePage::AgreeToLeave() {
  AskToApply();
  Reload();  // applied, or the edits are discarded
  return true;
}

void ProfilePage::ApplyWithoutAsking() {
  if (Pending()) Apply();
}

void ProfilePage::FollowEdits() {
  const bool loaded = index_ >= 0;
  rename_->setEnabled(loaded && index_ >= kFirstCustomProfile && Model().ProFeaturesLoaded());
  delete_->setEnabled(loaded && index_ >= kFirstCustomProfile);
  defaults_->setEnabled(loaded && index_ != kNoManagementProfile && Model().Abilities().Any());
  apply_->setEnabled(Pending());
  cpu_->setEnabled(loaded);
  // The program manages no OS settings this run: they are shown, not edited.
  const OsSettingsOffer offer = Model().OsSettings();
  os_->setEnabled(loaded && offer.managed && offer.available);
}

void ProfilePage::Apply() {
  if (index_ < 0) return;
  Model().ApplyProfile(index_, Edited());
  Reload();
}

void ProfilePage::Rename() {
  const Profile* profile = Model().Settings().profiles.At(index_);
  if (profile == nullptr) return;
  const auto name = ProfileNameBox::Ask(Model().Strings(), NameOf(*profile), this);
  if (name && Model().RenameProfile(index_, *name)) Host().ProfilesChanged();
}

void ProfilePage::Delete() {
  if (index_ < kFirstCustomProfile) return;
  if (!Host().AskYesNo(kStrDeleteProfileQuestion, kStrConfirmCaption)) return;
  const int32_t doomed = index_;
  index_ = -1;  // the page holds no profile any more, and no edits of it
  if (Model().DeleteProfile(doomed)) {
    FollowEdits();
    Host().ProfilesChanged();
  } else {
    LoadProfile(doomed);
  }
}

void ProfilePage::Defaults() {
  if (index_ < 0) return;
  Show(Model().DefaultProfile(index_, Edited(), Model().Settings().profiles.Table()));
  FollowEdits();
}

}  // namespace pacetta::ui
