#include "ui/pages/advanced_intel/chipset_tab.h"

#include <QGridLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_controls.h"

namespace pacetta::ui {
namespace {

using page_controls::Check;
using page_controls::Combo;
using page_controls::LabelFor;
using page_controls::Spin;

constexpr size_t kBoxCount = static_cast<size_t>(IchOption::kSlowC4Exit) + 1;
constexpr const char* kBoxNames[kBoxCount] = {"C4OnC3",    "CpuSlpInC3", "CpuSlpInS1",
                                              "C4InS1M",   "Popdown",    "Popup",
                                              "C4Disable", "C5Enable",   "SlowC4Exit"};
// CPUSLP# to STPCLK#, in 3.84 us units: the field's two digits.
constexpr int kCpuSlpToStpclkMin = 2;
constexpr int kCpuSlpToStpclkMax = 63;

struct ListControl {
  IchOption option;
  const char* name;
  uint32_t label;
  uint32_t firstEntry;
  uint32_t entries;  // 0: the hub's DPRSLPVR count
};
constexpr ListControl kLists[] = {
    {IchOption::kPllLockTime, "PllLockTime", kStrIchPllLockLabel, kStrIchPllLockFirst, 4},
    {IchOption::kDpslpToCpuslp, "DpslpToCpuslp", kStrIchDpslpLabel, kStrIchDpslpFirst, 4},
    {IchOption::kDprslpvrToStpcpu, "DprslpvrToStpcpu", kStrIchDprslpvrLabel, kStrIchDprslpvrFirst,
     0},
    {IchOption::kSlowC4ExitDelay, "SlowC4ExitDelay", kStrIchSlowC4DelayLabel,
     kStrIchSlowC4DelayFirst, 4},
};

QLabel* WrappingLabel(const StringTable& strings, uint32_t id, QWidget* buddy) {
  QLabel* label = LabelFor(strings, id, buddy);
  label->setWordWrap(true);
  return label;
}

size_t Index(IchOption option) {
  return static_cast<size_t>(option);
}

}  // namespace

ChipsetTab::ChipsetTab(const StringTable& strings, const CentrinoChipset& chipset,
                       std::function<void()> edited)
    : edited_(std::move(edited)) {
  setObjectName("ChipsetTab");
  const ChipsetIdentity& identity = chipset.Identity();
  auto* heading = MakeOwned<QLabel>(PageText(strings, kStrIchTitle));
  heading->setObjectName("Title");
  heading->setWordWrap(true);
  const std::string name = identity.name.empty() ? strings.Get(kStrUnknown) : identity.name;
  auto* type = MakeOwned<QLabel>(QString::fromStdString(
      FormatText(strings.Get(kStrIchType), {name, identity.vendorId, identity.deviceId})));
  type->setObjectName("ChipsetType");

  auto* grid = MakeOwned<QGridLayout>();
  grid->addWidget(LabelFor(strings, kStrIchTypeLabel, type), 0, 0);
  grid->addWidget(type, 0, 1);
  int row = 1;
  for (size_t i = 0; i < kBoxCount; ++i) {
    boxes_[i] = Check(strings, kStrIchBoxFirst + static_cast<uint32_t>(i), kBoxNames[i]);
    grid->addWidget(boxes_[i], row++, 0, 1, 2);
    connect(boxes_[i], &QCheckBox::toggled, this, [this] {
      if (!showing_) edited_();
    });
  }
  for (const ListControl& list : kLists) {
    QComboBox* box = Combo(list.name);
    const uint32_t entries = list.entries != 0 ? list.entries : chipset.DprslpvrEntryCount();
    for (uint32_t e = 0; e < entries; ++e) box->addItem(PageText(strings, list.firstEntry + e));
    // The lists show their entries whole; a long label wraps instead.
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lists_[Index(list.option)] = box;
    grid->addWidget(WrappingLabel(strings, list.label, box), row, 0);
    grid->addWidget(box, row++, 1);
    connect(box, &QComboBox::currentIndexChanged, this, [this] {
      if (!showing_) edited_();
    });
    // The delay field sits below the PLL lock time, as the hub orders them.
    if (list.option != IchOption::kPllLockTime) continue;
    cpuSlpToStpclk_ = Spin("CpuSlpToStpclk", kCpuSlpToStpclkMin, kCpuSlpToStpclkMax, 1);
    grid->addWidget(WrappingLabel(strings, kStrIchCpuSlpToStpclkLabel, cpuSlpToStpclk_), row, 0);
    grid->addWidget(cpuSlpToStpclk_, row++, 1);
    connect(cpuSlpToStpclk_, &QSpinBox::valueChanged, this, [this] {
      if (!showing_) edited_();
    });
  }
  // The labels and the lists share the width; rows stay close: the tab is full.
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  grid->setVerticalSpacing(4);

  for (size_t i = 0; i < kIchOptionCount; ++i) {
    const bool has = chipset.Has(static_cast<IchOption>(i));
    if (boxes_[i] != nullptr) boxes_[i]->setEnabled(has);
    if (lists_[i] != nullptr) lists_[i]->setEnabled(has);
  }
  cpuSlpToStpclk_->setEnabled(chipset.Has(IchOption::kCpuSlpToStpclk));

  auto* tab = MakeOwned<QVBoxLayout>(this);
  tab->addWidget(heading);
  tab->addLayout(grid);
  tab->addStretch(1);
}

void ChipsetTab::Show(const ChipsetValues& values) {
  showing_ = true;
  shown_ = values;
  for (size_t i = 0; i < kIchOptionCount; ++i) {
    const uint32_t value = values.options[i];
    if (boxes_[i] != nullptr) boxes_[i]->setChecked(value != 0);
    if (lists_[i] != nullptr) {
      lists_[i]->setCurrentIndex(
          value < static_cast<uint32_t>(lists_[i]->count()) ? static_cast<int>(value) : -1);
    }
  }
  cpuSlpToStpclk_->setValue(static_cast<int>(std::clamp<uint32_t>(
      values[IchOption::kCpuSlpToStpclk], kCpuSlpToStpclkMin, kCpuSlpToStpclkMax)));
  showing_ = false;
}

void ChipsetTab::Collect(ChipsetValues& values) const {
  for (size_t i = 0; i < kIchOptionCount; ++i) {
    if (boxes_[i] != nullptr) values.options[i] = boxes_[i]->isChecked() ? 1 : 0;
    // An entry the list does not offer keeps what was read.
    if (lists_[i] != nullptr) {
      values.options[i] = lists_[i]->currentIndex() >= 0
                              ? static_cast<uint32_t>(lists_[i]->currentIndex())
                              : shown_.options[i];
    }
  }
  // A delay the field cannot show (0 or 1) stays as read until the field is edited.
  const uint32_t read = shown_[IchOption::kCpuSlpToStpclk];
  const auto edited = static_cast<uint32_t>(cpuSlpToStpclk_->value());
  values[IchOption::kCpuSlpToStpclk] =
      edited == std::clamp<uint32_t>(read, kCpuSlpToStpclkMin, kCpuSlpToStpclkMax) ? read : edited;
}

}  // namespace pacetta::ui
