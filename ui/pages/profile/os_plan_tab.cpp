#include "ui/pages/profile/os_plan_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/strings/string_ids.h"
#include "platform/plan_guid.h"
#include "power/legacy_values.h"
#include "ui/pages/page_text.h"
#include "ui/pages/profile/plan_value_box.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

constexpr int kSettingRole = Qt::UserRole;  // the setting's index in the table; -1 a subgroup

bool AllZero(const std::array<uint8_t, kOsLinkSize>& link) {
  return std::all_of(link.begin(), link.end(), [](uint8_t b) { return b == 0; });
}

}  // namespace

OsPlanTab::OsPlanTab(const StringTable& strings, QWidget* parent)
    : OsTab(parent), strings_(strings) {
  setObjectName("OsPlans");
  usePlan_ = MakeOwned<QCheckBox>(PageText(strings, kStrUseOsPlan));
  usePlan_->setObjectName("UseOsPlan");
  plan_ = MakeOwned<QComboBox>();
  plan_->setObjectName("OsPlan");
  tree_ = MakeOwned<QTreeWidget>();
  tree_->setObjectName("PlanSettings");
  tree_->setHeaderHidden(true);
  tree_->setUniformRowHeights(true);
  noSettings_ = MakeOwned<QLabel>(PageText(strings, kStrNoPlanSettings));
  noSettings_->setObjectName("NoPlanSettings");
  noSettings_->setWordWrap(true);

  // Subgroup by subgroup as the table lists them; Show names them.
  const auto& settings = power::PlanSettings();
  QTreeWidgetItem* group = nullptr;
  for (size_t i = 0; i < settings.size(); ++i) {
    if (i == 0 || settings[i].subgroup != settings[i - 1].subgroup) {
      group = MakeOwned<QTreeWidgetItem>(tree_);
      group->setData(0, kSettingRole, -1);
      group->setFlags(Qt::ItemIsEnabled);
      group->setExpanded(true);
    }
    auto* item = MakeOwned<QTreeWidgetItem>(group);
    item->setData(0, kSettingRole, static_cast<int>(i));
    settingItems_.push_back(item);
    groupItems_.push_back(group);
  }
  NameSettings();

  auto* grid = MakeOwned<QGridLayout>();
  for (int c = 0; c < 2; ++c) {
    auto* title = MakeOwned<QLabel>(PageText(strings, c == 1 ? kStrBattery : kStrAcPower));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, 1 + c);
  }
  const char* names[] = {"ActiveAc", "ActiveDc", "DefaultAc", "DefaultDc"};
  for (size_t v = 0; v < values_.size(); ++v) {
    auto* box = MakeOwned<PlanValueBox>(PageText(strings, kStrNever));
    box->setObjectName(names[v]);
    values_[v] = box;
    grid->addWidget(box, 1 + static_cast<int>(v / 2), 1 + static_cast<int>(v % 2));
    connect(box, &QSpinBox::valueChanged, this, [this, v](int shown) { ValueEdited(v, shown); });
  }
  valueLabels_[0] = MakeOwned<QLabel>(PageText(strings, kStrActiveSettingLabel));
  valueLabels_[1] = MakeOwned<QLabel>(PageText(strings, kStrDefaultSettingLabel));
  for (int row = 0; row < 2; ++row) {
    valueLabels_[static_cast<size_t>(row)]->setBuddy(values_[static_cast<size_t>(row * 2)]);
    grid->addWidget(valueLabels_[static_cast<size_t>(row)], 1 + row, 0);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);

  auto* page = MakeOwned<QVBoxLayout>(this);
  auto* planRow = MakeOwned<QHBoxLayout>();
  planRow->addWidget(usePlan_);
  planRow->addWidget(plan_, 1);
  page->addLayout(planRow);
  page->addWidget(tree_, 1);
  page->addWidget(noSettings_);
  page->addLayout(grid);
  const int margin = fontMetrics().averageCharWidth();
  page->setContentsMargins(margin, margin, margin, margin);

  connect(usePlan_, &QCheckBox::toggled, this, [this] {
    FollowSwitches();
    Edited();
  });
  connect(plan_, &QComboBox::currentIndexChanged, this, [this] { Edited(); });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    selected_ = item != nullptr ? item->data(0, kSettingRole).toInt() : -1;
    ShowSelected();
  });
  FollowSwitches();
}

void OsPlanTab::Show(const Profile& profile, const OsSettingsOffer& offer) {
  showing_ = true;
  offer_ = offer;
  plans_.clear();
  plan_->clear();
  plans_.push_back(kOwnPlanLink);
  plan_->addItem(PageText(strings_, kStrCustomOsScheme));
  for (const OsSchemeChoice& choice : offer.schemes) {
    plans_.push_back(choice.id);
    plan_->addItem(QString::fromStdString(choice.name));
  }
  const bool uses = !AllZero(profile.osLink);
  auto named = std::find(plans_.begin(), plans_.end(), profile.osLink);
  // A plan the system no longer lists stays the profile's until another is chosen.
  if (uses && named == plans_.end()) {
    plans_.push_back(profile.osLink);
    plan_->addItem(QString::fromStdString(platform::FormatPlanGuid(profile.osLink)));
    named = plans_.end() - 1;
  }
  usePlan_->setChecked(uses);
  plan_->setCurrentIndex(uses ? static_cast<int>(named - plans_.begin()) : 0);

  captured_ = power::ValuesCaptured(profile.osPolicy);
  table_ = power::UnpackPlanSettings(
      std::span<const uint8_t, power::kPlanSettingsSize>(profile.osPolicy));
  NameSettings();
  showing_ = false;
  SelectSetting(FirstEditable(selected_));
  ShowSelected();
  FollowSwitches();
}

void OsPlanTab::Take(Profile& profile) const {
  // Unmanaged, the profile's OS data is not the page's to change.
  if (!offer_.managed) return;
  profile.osLink.fill(0);
  if (usePlan_->isChecked() && plan_->currentIndex() >= 0)
    profile.osLink = plans_[static_cast<size_t>(plan_->currentIndex())];
  if (captured_) {
    power::PackPlanSettings(table_, std::span<uint8_t, power::kPlanSettingsSize>(profile.osPolicy));
  }
}

void OsPlanTab::SelectSetting(int index) {
  for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
    if ((*it)->data(0, kSettingRole).toInt() == index) {
      tree_->setCurrentItem(*it);
      return;
    }
  }
}

int OsPlanTab::FirstEditable(int preferred) const {
  if (preferred >= 0 && !settingItems_[static_cast<size_t>(preferred)]->isDisabled()) {
    return preferred;
  }
  for (size_t i = 0; i < settingItems_.size(); ++i) {
    if (!settingItems_[i]->isDisabled()) return static_cast<int>(i);
  }
  return 0;
}

void OsPlanTab::NameSettings() {
  const auto& settings = power::PlanSettings();
  const auto& described = offer_.planSettings;
  // Where the system describes some settings, those it does not describe are none of its
  // own (Linux carries out the display brightness alone): shown, never edited.
  const bool some = std::any_of(described.begin(), described.end(),
                                [](const auto& d) { return !d.info.name.empty(); });
  for (QTreeWidgetItem* group : groupItems_) group->setDisabled(some);
  for (size_t i = 0; i < settings.size(); ++i) {
    const bool editable = !some || (i < described.size() && !described[i].info.name.empty());
    settingItems_[i]->setDisabled(!editable);
    if (editable) groupItems_[i]->setDisabled(false);
    const bool known = i < described.size();
    const std::string& group = known ? described[i].subgroupName : std::string();
    const std::string& name = known ? described[i].info.name : std::string();
    groupItems_[i]->setText(
        0, QString::fromStdString(group.empty() ? platform::FormatPlanGuid(settings[i].subgroup)
                                                : group));
    settingItems_[i]->setText(
        0, QString::fromStdString(name.empty() ? platform::FormatPlanGuid(settings[i].setting)
                                               : name));
  }
}

void OsPlanTab::ShowSelected() {
  loading_ = true;
  const bool setting = selected_ >= 0;
  const auto index = static_cast<size_t>(selected_);
  const bool described = setting && index < offer_.planSettings.size();
  for (size_t v = 0; v < values_.size(); ++v) {
    values_[v]->Describe(described ? offer_.planSettings[index].info : platform::PlanSettingInfo{});
    values_[v]->setValue(setting ? values_[v]->Shown(table_[index][v]) : 0);
  }
  loading_ = false;
  FollowSwitches();
}

void OsPlanTab::ValueEdited(size_t which, int shown) {
  if (loading_ || selected_ < 0) return;
  uint32_t& value = table_[static_cast<size_t>(selected_)][which];
  // A value beyond what the field shows stays as it is until it is changed.
  if (shown != values_[which]->Shown(value)) value = static_cast<uint32_t>(shown);
  Edited();
}

void OsPlanTab::FollowSwitches() {
  plan_->setEnabled(usePlan_->isChecked());
  // Settings the system does not offer are shown, never edited.
  const bool settings = offer_.available && captured_;
  noSettings_->setVisible(!offer_.available);
  tree_->setEnabled(settings);
  const bool editable =
      selected_ >= 0 && !settingItems_[static_cast<size_t>(selected_)]->isDisabled();
  for (QLabel* label : valueLabels_) label->setEnabled(settings && editable);
  for (PlanValueBox* box : values_) box->setEnabled(settings && editable);
}

}  // namespace pacetta::ui
