#pragma once
#include <QWidget>
#include <functional>
#include <optional>

#include "app/advanced/centrino_chipset.h"
#include "app/strings/string_table.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace pacetta::ui {

// The Centrino container's "Throttling" tab: the hub's forced thermal and normal clock
// throttling with their duty cycles, the status, and the lock that keeps the page's
// values when the hardware is read again.
class ThrottlingTab final : public QWidget {
 public:
  ThrottlingTab(const StringTable& strings, const CentrinoChipset& chipset,
                std::function<void()> edited);

  // The four throttling fields of `values`; the lock is the page's own.
  void ShowThrottling(const ChipsetValues& values);
  void ShowLock(bool locked);
  // Bit 17 of the processor control register; none: "N/A".
  void ShowStatus(std::optional<bool> active);
  bool Locked() const;
  // The throttling fields and the lock as edited into `values`.
  void Collect(ChipsetValues& values) const;

 private:
  const StringTable& strings_;
  std::function<void()> edited_;
  ChipsetValues shown_;
  bool showing_ = false;  // controls are being set, not edited
  QCheckBox* forceThermal_ = nullptr;
  QComboBox* thermalDuty_ = nullptr;
  QCheckBox* normal_ = nullptr;
  QComboBox* normalDuty_ = nullptr;
  QLabel* status_ = nullptr;
  QCheckBox* lock_ = nullptr;
};

}  // namespace pacetta::ui
