#pragma once
#include <QWidget>
#include <functional>

#include "app/advanced/k8_advanced.h"
#include "app/strings/string_table.h"
#include "cpu/advanced/k8/k8_cpu_setup.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace pacetta::ui {

// The K8 page's "Misc. control" tab: the dual-core time-stamp-counter synchroniser, used
// from the next start; only a processor with a partner core has it.
class MiscControlTab final : public QWidget {
 public:
  MiscControlTab(const StringTable& strings, const K8PageFacts& facts,
                 std::function<void()> edited);

  void Show(const k8::RestartValues& values);
  // The tab's values over `values`.
  void Collect(k8::RestartValues& values) const;

 private:
  void FollowEdits();

  const bool partnerCore_;
  std::function<void()> edited_;
  bool showing_ = false;  // controls are being set, not edited
  QCheckBox* enable_ = nullptr;
  QComboBox* source_ = nullptr;
  QSpinBox* interval_ = nullptr;
};

}  // namespace pacetta::ui
