#include "ui/pages/profile/plan_value_box.h"

#include <algorithm>
#include <limits>

namespace pacetta::ui {
namespace {

constexpr uint32_t kLargestShown = static_cast<uint32_t>(std::numeric_limits<int>::max());

int ShownBound(uint32_t bound) {
  return static_cast<int>(std::min(bound, kLargestShown));
}

}  // namespace

PlanValueBox::PlanValueBox(QString never, QWidget* parent)
    : QSpinBox(parent), never_(std::move(never)) {
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  Describe({});
}

void PlanValueBox::Describe(const platform::PlanSettingInfo& info) {
  choices_.clear();
  for (const std::string& choice : info.possibleValues) {
    choices_ << QString::fromStdString(choice);
  }
  setSuffix(info.unit.empty() || !choices_.isEmpty() ? QString()
                                                     : " " + QString::fromStdString(info.unit));
  // A time-out of 0 never comes.
  setSpecialValueText(info.unit == "seconds" && info.minimum == 0 ? never_ : QString());
  if (!choices_.isEmpty()) {
    setRange(0, static_cast<int>(choices_.size()) - 1);
  } else {
    setRange(ShownBound(info.minimum), ShownBound(info.maximum));
  }
}

int PlanValueBox::Shown(uint32_t value) const {
  return std::clamp(ShownBound(value), minimum(), maximum());
}

QString PlanValueBox::textFromValue(int value) const {
  if (value >= 0 && value < choices_.size()) return choices_[value];
  return QSpinBox::textFromValue(value);
}

int PlanValueBox::valueFromText(const QString& text) const {
  const qsizetype choice = choices_.indexOf(text);
  if (choice >= 0) return static_cast<int>(choice);
  return QSpinBox::valueFromText(text);
}

QValidator::State PlanValueBox::validate(QString& text, int& position) const {
  if (choices_.isEmpty()) return QSpinBox::validate(text, position);
  // A choice is typed by its name: anything that begins one may still become it.
  for (const QString& choice : choices_) {
    if (choice == text) return QValidator::Acceptable;
    if (choice.startsWith(text, Qt::CaseInsensitive)) return QValidator::Intermediate;
  }
  return QValidator::Invalid;
}

}  // namespace pacetta::ui
