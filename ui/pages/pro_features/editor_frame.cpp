#include "ui/pages/pro_features/editor_frame.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "ui/window/qt_child.h"

namespace pacetta::ui {

void FrameEditor(QDialog& dialog, QFormLayout* form) {
  auto* buttons = MakeOwned<QDialogButtonBox>(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* column = MakeOwned<QVBoxLayout>(&dialog);
  column->addLayout(form);
  column->addStretch(1);
  column->addWidget(buttons);
  column->setSizeConstraint(QLayout::SetFixedSize);
  dialog.setMinimumWidth(dialog.fontMetrics().averageCharWidth() * 64);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
}

}  // namespace pacetta::ui
