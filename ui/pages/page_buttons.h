#pragma once
#include <QHBoxLayout>
#include <QPushButton>
#include <cstdint>
#include <initializer_list>

#include "app/strings/string_table.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {

// A page's push button: its text from the string table, found by tests under `name`.
inline QPushButton* PageButton(const StringTable& strings, uint32_t textId, const char* name) {
  auto* button = MakeOwned<QPushButton>(PageText(strings, textId));
  button->setObjectName(name);
  return button;
}

// The common row at a page's foot: the page's own buttons on the left, "Defaults" and
// "Apply" on the right.
inline QHBoxLayout* PageButtonRow(std::initializer_list<QWidget*> own, QPushButton* defaults,
                                  QPushButton* apply) {
  auto* row = MakeOwned<QHBoxLayout>();
  for (QWidget* button : own) row->addWidget(button);
  row->addStretch(1);
  row->addWidget(defaults);
  row->addWidget(apply);
  return row;
}

}  // namespace pacetta::ui
