#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <cstdint>

#include "app/strings/string_table.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

// The controls the advanced pages are built of, each found by tests under its name.
namespace pacetta::ui::page_controls {

inline QComboBox* Combo(const char* name) {
  auto* box = MakeOwned<QComboBox>();
  box->setObjectName(name);
  return box;
}

inline QCheckBox* Check(const StringTable& strings, uint32_t id, const char* name) {
  auto* box = MakeOwned<QCheckBox>(PageText(strings, id));
  box->setObjectName(name);
  return box;
}

// A number field with its spin arrows; the range also bounds the digits typed.
inline QSpinBox* Spin(const char* name, int minimum, int maximum, int step) {
  auto* box = MakeOwned<QSpinBox>();
  box->setObjectName(name);
  box->setRange(minimum, maximum);
  box->setSingleStep(step);
  return box;
}

// A control's label, which also gives the control the keyboard focus.
inline QLabel* LabelFor(const StringTable& strings, uint32_t id, QWidget* buddy) {
  auto* label = MakeOwned<QLabel>(PageText(strings, id));
  label->setBuddy(buddy);
  return label;
}

}  // namespace pacetta::ui::page_controls
