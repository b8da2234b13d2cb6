#pragma once
#include <QWidget>
#include <array>
#include <functional>

#include "app/advanced/intel_advanced.h"
#include "app/strings/string_table.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;

namespace pacetta::ui {

// The processor settings of the Intel-style pages, laid out for the page kind: the whole
// NetBurst and VIA C7 pages, the "Processor" tab of the Centrino container. Controls the
// kind lacks are not built; their values pass through as shown.
class IntelProcessorTab final : public QWidget {
 public:
  // `edited` follows every change the user makes.
  IntelProcessorTab(const StringTable& strings, const IntelPageFacts& facts,
                    std::function<void()> edited);

  void Show(const IntelProcessorValues& values);
  void ShowRestart(const IntelRestartValues& values);
  // The values as edited.
  IntelProcessorValues Values() const;
  IntelRestartValues Restart() const;

 private:
  void Build(const StringTable& strings);
  void OnTicked(QCheckBox* box, bool checked);
  void Edited();

  const IntelPageFacts facts_;
  std::function<void()> edited_;
  IntelProcessorValues shown_;
  IntelRestartValues shownRestart_;
  bool showing_ = false;  // controls are being set, not edited

  QCheckBox* tm1_ = nullptr;
  QCheckBox* tm2_ = nullptr;
  QCheckBox* syncTm1_ = nullptr;             // Centrino only
  QCheckBox* extendedThrottling_ = nullptr;  // Centrino only
  QComboBox* targetFid_ = nullptr;
  QComboBox* targetVid_ = nullptr;
  QCheckBox* eist_ = nullptr;
  QSpinBox* fidVidDelay_ = nullptr;
  // kC1e..kHardC4e; NetBurst has C1E only, VIA none.
  std::array<QCheckBox*, 5> cStates_{};
  QCheckBox* ida_ = nullptr;   // Centrino only
  QCheckBox* dffs_ = nullptr;  // Centrino only
  // CPU type + 1: auto-detect, desktop, mobile; Centrino only.
  std::array<QRadioButton*, 3> cpuTypes_{};
};

}  // namespace pacetta::ui
