#pragma once
#include <QWidget>
#include <array>
#include <functional>

#include "app/advanced/centrino_chipset.h"
#include "app/strings/string_table.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace pacetta::ui {

// The Centrino container's "Chipset" tab: the hub's name and its C-state and sleep-signal
// options, each enabled only where the hub's generation has it.
class ChipsetTab final : public QWidget {
 public:
  ChipsetTab(const StringTable& strings, const CentrinoChipset& chipset,
             std::function<void()> edited);

  // Shows the options of `values`.
  void Show(const ChipsetValues& values);
  // The options as edited into `values`; what the tab cannot show stays.
  void Collect(ChipsetValues& values) const;

 private:
  std::function<void()> edited_;
  ChipsetValues shown_;
  bool showing_ = false;  // controls are being set, not edited
  // One control per option, in IchOption order: a box, a list or the number field.
  std::array<QCheckBox*, kIchOptionCount> boxes_{};
  std::array<QComboBox*, kIchOptionCount> lists_{};
  QSpinBox* cpuSlpToStpclk_ = nullptr;
};

}  // namespace pacetta::ui
