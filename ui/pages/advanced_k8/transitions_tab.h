#pragma once
#include <QWidget>
#include <array>
#include <functional>

#include "app/advanced/k8_advanced.h"
#include "app/strings/string_table.h"
#include "cpu/advanced/k8/k8_cpu_setup.h"

class QComboBox;
class QRadioButton;
class QSpinBox;

namespace pacetta::ui {

// The K8 page's "P-states transitions" tab: the transition sequence's timings and the
// transition scheme, used from the next start. Only processors with FID/VID control have
// them to change.
class TransitionsTab final : public QWidget {
 public:
  TransitionsTab(const StringTable& strings, const K8PageFacts& facts,
                 std::function<void()> edited);

  void Show(const k8::RestartValues& values);
  // The tab's values over `values`.
  void Collect(k8::RestartValues& values) const;

 private:
  std::function<void()> edited_;
  bool showing_ = false;  // controls are being set, not edited
  QSpinBox* stopGrant_ = nullptr;
  QComboBox* rampOffset_ = nullptr;
  QSpinBox* fidDelay_ = nullptr;
  QSpinBox* vidDelay_ = nullptr;
  std::array<QRadioButton*, 4> schemes_{};  // in the order of k8::Scheme
};

}  // namespace pacetta::ui
