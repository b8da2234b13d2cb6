#include "ui/pages/profile/cpu_settings_tab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTreeWidget>

#include "app/desktop/profile_edits.h"
#include "app/desktop/pstate_steps.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

constexpr int kLowestTarget = 15;
constexpr int kHighestTarget = 85;
constexpr int kShortestInterval = 100;
constexpr int kLongestInterval = 10000;
constexpr int kValueRole = Qt::UserRole;  // a state's row, or a throttle level

QTreeWidget* CheckList(const QStringList& columns, const QString& name) {
  auto* list = MakeOwned<QTreeWidget>();
  list->setObjectName(name);
  list->setHeaderLabels(columns);
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setUniformRowHeights(true);
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list->header()->setStretchLastSection(true);
  return list;
}

QTreeWidgetItem* CheckItem(QTreeWidget& list, const QStringList& texts, int value, bool ticked) {
  auto* item = MakeOwned<QTreeWidgetItem>(&list, texts);
  item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
  item->setData(0, kValueRole, value);
  item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
  return item;
}

std::vector<int32_t> Ticked(const QTreeWidget& list) {
  std::vector<int32_t> values;
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list.topLevelItem(i);
    if (item->checkState(0) == Qt::Checked) values.push_back(item->data(0, kValueRole).toInt());
  }
  return values;
}

QSpinBox* Spin(int lowest, int highest, const QString& name) {
  auto* spin = MakeOwned<QSpinBox>();
  spin->setObjectName(name);
  // The range also bounds what may be typed: 90 becomes 85 as the field is left.
  spin->setRange(lowest, highest);
  spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  return spin;
}

}  // namespace

CpuSettingsTab::CpuSettingsTab(const StringTable& strings, QWidget* parent) : QWidget(parent) {
  setObjectName("CpuSettings");
  auto* grid = MakeOwned<QGridLayout>(this);
  const QStringList stateColumns{PageText(strings, kStrColumnIndex),
                                 PageText(strings, kStrColumnFid),
                                 PageText(strings, kStrColumnVid)};
  const QStringList throttleColumns{PageText(strings, kStrColumnIndex),
                                    PageText(strings, kStrColumnThrottle)};
  for (int c = 0; c < 2; ++c) {
    const bool battery = c == 1;
    const QString side = battery ? QStringLiteral("Dc") : QStringLiteral("Ac");
    Column& column = columns_[static_cast<size_t>(c)];
    auto* title = MakeOwned<QLabel>(PageText(strings, battery ? kStrBattery : kStrAcPower));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    column.useStates = MakeOwned<QCheckBox>(PageText(strings, kStrUseFidVid));
    column.useStates->setObjectName("UseFidVid" + side);
    column.states = CheckList(stateColumns, "States" + side);
    column.useThrottle = MakeOwned<QCheckBox>(PageText(strings, kStrUseThrottle));
    column.useThrottle->setObjectName("UseThrottle" + side);
    column.throttles = CheckList(throttleColumns, "Throttles" + side);
    column.targetLoad = Spin(kLowestTarget, kHighestTarget, "TargetLoad" + side);
    column.upInterval = Spin(kShortestInterval, kLongestInterval, "UpInterval" + side);
    column.downInterval = Spin(kShortestInterval, kLongestInterval, "DownInterval" + side);

    grid->addWidget(title, 0, c);
    grid->addWidget(column.useStates, 1, c);
    grid->addWidget(column.states, 2, c);
    grid->addWidget(column.useThrottle, 3, c);
    grid->addWidget(column.throttles, 4, c);
    grid->addWidget(column.targetLoad, 6, c);
    grid->addWidget(column.upInterval, 8, c);
    grid->addWidget(column.downInterval, 10, c);

    connect(column.useStates, &QCheckBox::toggled, this, [this] {
      FollowSwitches();
      Edited();
    });
    connect(column.useThrottle, &QCheckBox::toggled, this, [this] {
      FollowSwitches();
      Edited();
    });
    for (QTreeWidget* list : {column.states, column.throttles}) {
      connect(list, &QTreeWidget::itemChanged, this,
              [this, list](QTreeWidgetItem* item) { OnTicked(*list, item); });
    }
    for (QSpinBox* spin : {column.targetLoad, column.upInterval, column.downInterval})
      connect(spin, &QSpinBox::valueChanged, this, [this] { Edited(); });
  }
  // Each value's label runs over both columns, above the AC and the battery value.
  const uint32_t labels[] = {kStrTargetLoadLabel, kStrUpIntervalLabel, kStrDownIntervalLabel};
  QSpinBox* const firsts[] = {columns_[0].targetLoad, columns_[0].upInterval,
                              columns_[0].downInterval};
  for (int i = 0; i < 3; ++i) {
    auto* label = MakeOwned<QLabel>(PageText(strings, labels[i]));
    label->setBuddy(firsts[i]);
    grid->addWidget(label, 5 + 2 * i, 0, 1, 2);
  }
  grid->setRowStretch(2, 3);
  grid->setRowStretch(4, 2);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  const int margin = fontMetrics().averageCharWidth();
  grid->setContentsMargins(margin, margin, margin, margin);
}

void CpuSettingsTab::Show(const Profile& profile, int32_t index, const PStateTable& table,
                          const CpuInfo& cpu, ControlAbilities abilities) {
  showing_ = true;
  table_ = table;
  cpu_ = &cpu;
  index_ = index;
  abilities_ = abilities;
  for (int c = 0; c < 2; ++c) {
    const ProfileHalf& half = profile.Half(c == 1);
    Column& column = columns_[static_cast<size_t>(c)];
    column.useStates->setChecked(half.useFidVid != 0);
    column.states->clear();
    for (int32_t row : ListedStateRows(table)) {
      const PState& state = *table.Row(row);
      CheckItem(
          *column.states,
          {QString::number(row), QString::fromStdString(MultiplierText(RowSpeed(cpu, state))),
           QString::fromStdString(VoltageText(VoltageOfVid(cpu, static_cast<int32_t>(state.vid))))},
          row, ListsState(half, row));
    }
    column.useThrottle->setChecked(half.useThrottle != 0);
    column.throttles->clear();
    for (int level = kLowestThrottleLevel; level <= kNoThrottling; ++level) {
      CheckItem(
          *column.throttles,
          {QString::number(level), QString::asprintf("%.1f%%", level * 100.0 / kNoThrottling)},
          level, ListsThrottle(half, level));
    }
    column.targetLoad->setValue(half.targetLoad);
    column.upInterval->setValue(half.upIntervalMs);
    column.downInterval->setValue(half.downIntervalMs);
  }
  showing_ = false;
  FollowSwitches();
}

void CpuSettingsTab::Take(Profile& profile) const {
  for (int c = 0; c < 2; ++c) {
    ProfileHalf& half = profile.Half(c == 1);
    const Column& column = columns_[static_cast<size_t>(c)];
    half.useFidVid = column.useStates->isChecked() ? 1 : 0;
    if (cpu_ != nullptr) SetListedStates(half, Ticked(*column.states), table_, *cpu_);
    half.useThrottle = column.useThrottle->isChecked() ? 1 : 0;
    SetListedThrottles(half, Ticked(*column.throttles));
    half.targetLoad = column.targetLoad->value();
    half.upIntervalMs = column.upInterval->value();
    half.downIntervalMs = column.downInterval->value();
  }
}

void CpuSettingsTab::FollowSwitches() {
  const bool editable = index_ != kNoManagementProfile;
  // From the rules, not from the widgets: while the page holds no profile every control
  // reads as disabled.
  const bool states = editable && abilities_.performanceStates;
  const bool throttle = editable && abilities_.clockModulation;
  for (Column& column : columns_) {
    column.useStates->setEnabled(states);
    column.states->setEnabled(states && column.useStates->isChecked());
    column.useThrottle->setEnabled(throttle);
    column.throttles->setEnabled(throttle && column.useThrottle->isChecked());
    const bool targets = editable && abilities_.Any() && UsesLoadTargets(index_);
    for (QSpinBox* spin : {column.targetLoad, column.upInterval, column.downInterval})
      spin->setEnabled(targets);
  }
}

void CpuSettingsTab::OnTicked(QTreeWidget& list, QTreeWidgetItem* item) {
  if (showing_) return;
  if (HoldsOneChoice(index_) && item->checkState(0) == Qt::Checked) {
    showing_ = true;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
      QTreeWidgetItem* other = list.topLevelItem(i);
      if (other != item) other->setCheckState(0, Qt::Unchecked);
    }
    showing_ = false;
  }
  Edited();
}

void CpuSettingsTab::Edited() {
  if (!showing_ && edited_) edited_();
}

}  // namespace pacetta::ui
