#pragma once
#include <QSpinBox>
#include <QStringList>
#include <cstdint>

#include "platform/os_power.h"

namespace pacetta::ui {

// One value of a plan setting, edited as the system describes the setting: a choice by
// the names of its values, a range in its unit (a time-out of 0 reads `never`), or a bare
// number where the system says nothing.
class PlanValueBox final : public QSpinBox {
 public:
  explicit PlanValueBox(QString never, QWidget* parent = nullptr);

  void Describe(const platform::PlanSettingInfo& info);
  // `value` as the box can show it: within its range.
  int Shown(uint32_t value) const;

 protected:
  QString textFromValue(int value) const override;
  int valueFromText(const QString& text) const override;
  QValidator::State validate(QString& text, int& position) const override;

 private:
  QString never_;
  QStringList choices_;
};

}  // namespace pacetta::ui
