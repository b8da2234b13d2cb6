#include "ui/pages/profiles/profiles_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/desktop/state_editor.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_text.h"
#include "ui/pages/profile_name/profile_name_box.h"
#include "ui/pages/profiles/state_rows.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

bool Same(ProfileSelection a, ProfileSelection b) {
  return a.ac == b.ac && a.dc == b.dc;
}

// A column title with the desktop's picture of the power source, where it has one.
QWidget* ColumnTitle(const QString& text, const char* iconName) {
  auto* title = MakeOwned<QWidget>();
  auto* row = MakeOwned<QHBoxLayout>(title);
  row->setContentsMargins(0, 0, 0, 0);
  auto* label = MakeOwned<QLabel>(text);
  const QIcon icon = QIcon::fromTheme(QString::fromLatin1(iconName));
  if (!icon.isNull()) {
    const int size = label->fontMetrics().height();
    auto* picture = MakeOwned<QLabel>();
    picture->setPixmap(icon.pixmap(size, size));
    row->addWidget(picture);
  }
  row->addWidget(label, 1);
  return title;
}

}  // namespace

ProfilesPage::ProfilesPage(PageContext context) : Page(context) {
  setObjectName("ProfilesPage");
  const StringTable& strings = Model().Strings();

  auto* selection = MakeOwned<QGroupBox>(PageText(strings, kStrProfileSelectionGroup));
  auto* grid = MakeOwned<QGridLayout>(selection);
  grid->addWidget(ColumnTitle(PageText(strings, kStrAcPower), "ac-adapter"), 0, 1);
  grid->addWidget(ColumnTitle(PageText(strings, kStrBattery), "battery"), 0, 2);
  const char* names[kListCount] = {"CurrentAc", "CurrentDc", "StartupAc", "StartupDc"};
  for (int list = 0; list < kListCount; ++list) {
    QComboBox* box = lists_[static_cast<size_t>(list)] = MakeOwned<QComboBox>();
    box->setObjectName(names[list]);
    // Long profile names must not widen the page beyond its place.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(12);
    grid->addWidget(lists_[static_cast<size_t>(list)], 1 + list / 2, 1 + list % 2);
  }
  auto* current = MakeOwned<QLabel>(PageText(strings, kStrCurrentSelectionLabel));
  current->setBuddy(lists_[kCurrentAc]);
  auto* startup = MakeOwned<QLabel>(PageText(strings, kStrStartupSelectionLabel));
  startup->setBuddy(lists_[kStartupAc]);
  grid->addWidget(current, 1, 0);
  grid->addWidget(startup, 2, 0);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);

  auto* editor = MakeOwned<QGroupBox>(PageText(strings, kStrStatesEditorGroup));
  auto* column = MakeOwned<QVBoxLayout>(editor);
  rows_ = MakeOwned<StateRows>(strings);
  autoAdjust_ = MakeOwned<QCheckBox>(PageText(strings, kStrAutoAdjustVid));
  autoAdjust_->setObjectName("AutoAdjustVid");
  column->addWidget(rows_, 1);
  column->addWidget(autoAdjust_);

  newProfile_ = PageButton(strings, kStrNewProfile, "NewProfile");
  defaults_ = PageButton(strings, kStrButtonDefaults, "Defaults");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");
  auto* buttons = PageButtonRow({newProfile_}, defaults_, apply_);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(selection);
  page->addWidget(editor, 1);
  page->addLayout(buttons);

  for (QComboBox* list : lists_) {
    connect(list, &QComboBox::currentIndexChanged, this, [this] { FollowEdits(); });
  }
  rows_->SetOnEdited([this] { FollowEdits(); });
  connect(autoAdjust_, &QCheckBox::toggled, this, [this] { FollowEdits(); });
  connect(newProfile_, &QPushButton::clicked, this, [this] { NewProfile(); });
  connect(defaults_, &QPushButton::clicked, this, [this] { Defaults(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  Reload();
}

void ProfilesPage::Reload() {
  const AppSettings& settings = Model().Settings();
  showing_ = true;
  rangeChanged_ = false;
  FillSelectionLists(Model().SelectionInUse(),
                     {settings.management.profileAc, settings.management.profileDc});
  rows_->Show(settings.profiles.Table(), Model().Processors().front(),
              Model().Abilities().performanceStates);
  autoAdjust_->setChecked(settings.management.autoAdjustVid != 0);
  showing_ = false;
  FollowEdits();
}

void ProfilesPage::FillSelectionLists(ProfileSelection current, ProfileSelection startup) {
  const ProfileStore& profiles = Model().Settings().profiles;
  const int32_t chosen[kListCount] = {current.ac, current.dc, startup.ac, startup.dc};
  const bool wasShowing = showing_;
  showing_ = true;
  for (int list = 0; list < kListCount; ++list) {
    QComboBox& box = *lists_[static_cast<size_t>(list)];
    box.clear();
    for (int32_t i = 0; i < profiles.Count(); ++i)
      box.addItem(QString::fromStdString(NameOf(*profiles.At(i))));
    box.setCurrentIndex(chosen[list] >= 0 && chosen[list] < profiles.Count() ? chosen[list] : 0);
  }
  showing_ = wasShowing;
}

ProfileSelection ProfilesPage::Chosen(List ac, List dc) const {
  return {std::max(lists_[ac]->currentIndex(), 0), std::max(lists_[dc]->currentIndex(), 0)};
}

bool ProfilesPage::Pending() {
  const AppSettings& settings = Model().Settings();
  return rangeChanged_ || !SameRows(rows_->Table(), settings.profiles.Table()) ||
         autoAdjust_->isChecked() != (settings.management.autoAdjustVid != 0) ||
         !Same(Chosen(kCurrentAc, kCurrentDc), Model().SelectionInUse()) ||
         !Same(Chosen(kStartupAc, kStartupDc),
               {settings.management.profileAc, settings.management.profileDc});
}

void ProfilesPage::FollowEdits() {
  if (showing_) return;
  const ControlAbilities abilities = Model().Abilities();
  for (QComboBox* list : lists_) list->setEnabled(abilities.Any());
  autoAdjust_->setEnabled(abilities.performanceStates);
  defaults_->setEnabled(abilities.performanceStates);
  newProfile_->setEnabled(abilities.Any() && Model().ProFeaturesLoaded());
  rows_->SetAutoAdjust(autoAdjust_->isChecked());
  apply_->setEnabled(abilities.Any() && Pending());
}

void ProfilesPage::Apply() {
  Model().ApplyProfiles(rows_->Table(), rangeChanged_, autoAdjust_->isChecked() ? 1 : 0,
                        Chosen(kCurrentAc, kCurrentDc), Chosen(kStartupAc, kStartupDc));
  Reload();
}

void ProfilesPage::ApplyWithoutAsking() {
  if (Model().Abilities().Any() && Pending()) Apply();
}

bool ProfilesPage::AgreeToLeave() {
  if (!Model().Abilities().Any() || !Pending()) return true;
  if (Host().AskYesNo(kStrPageModified, kStrPageProfiles)) {
    Apply();
  } else {
    Reload();  // the edits are discarded
  }
  return true;
}

void ProfilesPage::Defaults() {
  bool rangeChanged = false;
  const PStateTable table = Model().DefaultTable(rows_->Table().lastIndex, rangeChanged);
  if (rangeChanged) {
    Host().Tell(kStrStateRangeAltered, kStrWarningCaption, true);
    rangeChanged_ = true;
  }
  rows_->Show(table, Model().Processors().front(), Model().Abilities().performanceStates);
  FollowEdits();
}

void ProfilesPage::NewProfile() {
  if (Model().Settings().profiles.Count() >= kMaxProfiles) {
    Host().Tell(kStrMaxProfilesReached, kStrErrorCaption, false);
    return;
  }
  const std::optional<std::string> name = ProfileNameBox::Ask(Model().Strings(), "", this);
  if (!name) return;
  if (!Model().AddProfile(*name)) {
    Host().Tell(kStrMaxProfilesReached, kStrErrorCaption, false);
    return;
  }
  Host().ProfilesChanged();
  // The lists offer the new profile too; what the user chose stays chosen.
  FillSelectionLists(Chosen(kCurrentAc, kCurrentDc), Chosen(kStartupAc, kStartupDc));
  FollowEdits();
}

}  // namespace pacetta::ui
