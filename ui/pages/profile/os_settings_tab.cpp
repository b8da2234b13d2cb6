#include "ui/pages/profile/os_settings_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/strings/string_ids.h"
#include "power/legacy_values.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

QSpinBox* MinutesSpin(const StringTable& strings, const QString& name) {
  auto* spin = MakeOwned<QSpinBox>();
  spin->setObjectName(name);
  // The range also bounds what may be typed: six digits, a value outside is clamped.
  spin->setRange(0, static_cast<int>(kMaxTimeoutMinutes));
  spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  spin->setSpecialValueText(PageText(strings, kStrNever));
  spin->setSuffix(PageText(strings, kStrMinutesSuffix));
  return spin;
}

QLabel* Bold(const QString& text) {
  auto* label = MakeOwned<QLabel>(text);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

bool Has(uint32_t flags, uint32_t bit) {
  return (flags & bit) != 0;
}

}  // namespace

OsSettingsTab::OsSettingsTab(const StringTable& strings,
                             std::function<bool()> confirmProcessorPolicy, QWidget* parent)
    : OsTab(parent), strings_(strings), confirm_(std::move(confirmProcessorPolicy)) {
  setObjectName("OsSettings");
  useScheme_ = MakeOwned<QCheckBox>(PageText(strings, kStrUseOsScheme));
  useScheme_->setObjectName("UseOsScheme");
  scheme_ = MakeOwned<QComboBox>();
  scheme_->setObjectName("OsScheme");
  disableProcessorPolicy_ = MakeOwned<QCheckBox>(PageText(strings, kStrDisableOsProcessorPolicy));
  disableProcessorPolicy_->setObjectName("DisableOsProcessorPolicy");

  custom_ = MakeOwned<QGroupBox>(PageText(strings, kStrCustomSchemeGroup));
  auto* grid = MakeOwned<QGridLayout>(custom_);
  grid->addWidget(Bold(PageText(strings, kStrAcPower)), 0, 1);
  grid->addWidget(Bold(PageText(strings, kStrBattery)), 0, 2);
  const uint32_t labels[] = {kStrMonitorTimeoutLabel, kStrDisksTimeoutLabel,
                             kStrStandbyTimeoutLabel, kStrHibernateTimeoutLabel};
  const char* names[] = {"Monitor", "Disks", "Standby", "Hibernate"};
  for (int c = 0; c < 2; ++c) {
    const QString side = c == 1 ? QStringLiteral("Dc") : QStringLiteral("Ac");
    Column& column = columns_[static_cast<size_t>(c)];
    QSpinBox** spins[] = {&column.monitor, &column.disks, &column.standby, &column.hibernate};
    for (int row = 0; row < 4; ++row) {
      *spins[row] = MinutesSpin(strings, names[row] + side);
      grid->addWidget(*spins[row], 1 + row, 1 + c);
      connect(*spins[row], &QSpinBox::valueChanged, this, [this] { Edited(); });
    }
    column.lcd = MakeOwned<QComboBox>();
    column.lcd->setObjectName("Lcd" + side);
    grid->addWidget(column.lcd, 6, 1 + c);
    connect(column.lcd, &QComboBox::currentIndexChanged, this, [this] { Edited(); });
  }
  for (int row = 0; row < 4; ++row) {
    auto* label = MakeOwned<QLabel>(PageText(strings, labels[row]));
    label->setBuddy(row == 0   ? columns_[0].monitor
                    : row == 1 ? columns_[0].disks
                    : row == 2 ? columns_[0].standby
                               : columns_[0].hibernate);
    grid->addWidget(label, 1 + row, 0);
  }
  manageLcd_ = MakeOwned<QCheckBox>(PageText(strings, kStrManageLcd));
  manageLcd_->setObjectName("ManageLcd");
  grid->addWidget(manageLcd_, 5, 0, 1, 3);
  lcdLabel_ = MakeOwned<QLabel>(PageText(strings, kStrLcdLevelLabel));
  lcdLabel_->setBuddy(columns_[0].lcd);
  grid->addWidget(lcdLabel_, 6, 0);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);

  auto* page = MakeOwned<QVBoxLayout>(this);
  auto* schemeRow = MakeOwned<QHBoxLayout>();
  schemeRow->addWidget(useScheme_);
  schemeRow->addWidget(scheme_, 1);
  page->addLayout(schemeRow);
  page->addWidget(disableProcessorPolicy_);
  page->addWidget(custom_);
  page->addStretch(1);
  const int margin = fontMetrics().averageCharWidth();
  page->setContentsMargins(margin, margin, margin, margin);

  for (QCheckBox* box : {useScheme_, disableProcessorPolicy_, manageLcd_}) {
    connect(box, &QCheckBox::toggled, this, [this] {
      FollowSwitches();
      Edited();
    });
  }
  connect(scheme_, &QComboBox::currentIndexChanged, this, [this] { Edited(); });
  // Ticked by the user only: the system keeps no copy of the policy this replaces.
  connect(disableProcessorPolicy_, &QCheckBox::clicked, this, [this](bool ticked) {
    if (ticked && !(confirm_ && confirm_())) disableProcessorPolicy_->setChecked(false);
  });
  FollowSwitches();
}

void OsSettingsTab::Show(const Profile& profile, const OsSettingsOffer& offer) {
  showing_ = true;
  offer_ = offer;
  const LegacyLink link = ReadLegacyLink(profile.osLink);
  scheme_->clear();
  scheme_->addItem(PageText(strings_, kStrCustomOsScheme), -1);
  for (const OsSchemeChoice& choice : offer.schemes) {
    scheme_->addItem(QString::fromStdString(choice.name),
                     static_cast<int>(ReadLegacyLink(choice.id).index));
  }
  // A scheme the system no longer lists stays the profile's until another is chosen.
  if (scheme_->findData(link.index) < 0) scheme_->addItem(QString::number(link.index), link.index);
  scheme_->setCurrentIndex(scheme_->findData(link.index));
  useScheme_->setChecked(Has(link.flags, power::kUseOsScheme));
  disableProcessorPolicy_->setChecked(Has(link.flags, power::kDisableOsProcessorPolicy));
  manageLcd_->setChecked(Has(link.flags, power::kManagePanelBrightness));

  const power::LegacyCustomValues values = power::ReadCustomValues(profile.osPolicy);
  for (size_t c = 0; c < 2; ++c) {
    Column& column = columns_[c];
    column.monitor->setValue(static_cast<int>(MinutesOf(values.monitor[c])));
    column.disks->setValue(static_cast<int>(MinutesOf(values.disks[c])));
    column.standby->setValue(offer.suspendAllowed ? static_cast<int>(MinutesOf(values.standby[c]))
                                                  : 0);
    column.hibernate->setValue(
        offer.hibernateAllowed ? static_cast<int>(MinutesOf(values.hibernate[c])) : 0);
    column.lcd->clear();
    for (uint8_t level : offer.lcdLevels)
      column.lcd->addItem(QString::asprintf("%d", level), level);
    column.lcd->setCurrentIndex(column.lcd->findData(static_cast<int>(values.lcd[c])));
  }
  showing_ = false;
  FollowSwitches();
}

void OsSettingsTab::Take(Profile& profile) const {
  // Unmanaged, the profile's OS data is not the page's to change.
  if (!offer_.managed) return;
  LegacyLink link = ReadLegacyLink(profile.osLink);
  if (scheme_->currentIndex() >= 0) link.index = scheme_->currentData().toInt();
  link.flags = (useScheme_->isChecked() ? power::kUseOsScheme : 0) |
               (disableProcessorPolicy_->isChecked() ? power::kDisableOsProcessorPolicy : 0) |
               (manageLcd_->isChecked() ? power::kManagePanelBrightness : 0);
  WriteLegacyLink(link, profile.osLink);
  if (!power::ValuesCaptured(profile.osPolicy)) return;

  power::LegacyCustomValues values = power::ReadCustomValues(profile.osPolicy);
  for (size_t c = 0; c < 2; ++c) {
    const Column& column = columns_[c];
    values.monitor[c] = SecondsOf(column.monitor->value(), values.monitor[c]);
    values.disks[c] = SecondsOf(column.disks->value(), values.disks[c]);
    values.standby[c] =
        offer_.suspendAllowed ? SecondsOf(column.standby->value(), values.standby[c]) : 0;
    values.hibernate[c] =
        offer_.hibernateAllowed ? SecondsOf(column.hibernate->value(), values.hibernate[c]) : 0;
    if (column.lcd->currentIndex() >= 0)
      values.lcd[c] = static_cast<uint32_t>(column.lcd->currentData().toInt());
  }
  power::WriteCustomValues(values, profile.osPolicy);
}

void OsSettingsTab::FollowSwitches() {
  scheme_->setEnabled(useScheme_->isChecked());
  const bool panel = !offer_.lcdLevels.empty();
  manageLcd_->setEnabled(panel);
  lcdLabel_->setEnabled(panel);
  for (Column& column : columns_) {
    column.standby->setEnabled(offer_.suspendAllowed);
    column.hibernate->setEnabled(offer_.hibernateAllowed);
    column.lcd->setEnabled(panel && manageLcd_->isChecked());
  }
}

}  // namespace pacetta::ui
