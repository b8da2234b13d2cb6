#pragma once
#include <QWidget>
#include <array>
#include <cstdint>

#include "app/desktop/processor_identity.h"
#include "app/strings/string_table.h"
#include "cpu/cpu_info.h"
#include "engine/monitor/cpu_sample.h"

class QLabel;

namespace pacetta::ui {

// One processor's tab of the CPU info page: its identification, caches and TLBs and
// power-management features, filled once, and its live status, filled at every refresh.
// The value labels carry object names ("CpuModel", "CoreClock", "MultiplierStartup", ...)
// that tests find them by; the feature labels are all named "Feature", in display order.
class ProcessorTab final : public QWidget {
 public:
  ProcessorTab(const CpuInfo& cpu, const ProcessorIdentity& identity, const StringTable& strings);

  // The processor's values of the latest refresh; `tempUnits` 1 shows Fahrenheit.
  void ShowStatus(const CpuSample& sample, int32_t tempUnits);

 private:
  QWidget* IdentificationGroup(const ProcessorIdentity& identity);
  QWidget* CachesGroup();
  QWidget* FeaturesGroup(const ProcessorIdentity& identity);
  QWidget* StatusGroup();

  const CpuInfo& cpu_;
  const StringTable& strings_;
  QLabel* clock_ = nullptr;
  QLabel* throttle_ = nullptr;
  QLabel* cpuLoad_ = nullptr;
  QLabel* osLoad_ = nullptr;
  QLabel* temperature_ = nullptr;
  QLabel* powerLabel_ = nullptr;
  QLabel* power_ = nullptr;
  std::array<QLabel*, 4> multipliers_{};
  std::array<QLabel*, 4> voltages_{};
};

}  // namespace pacetta::ui
