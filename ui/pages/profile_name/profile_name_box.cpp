#include "ui/pages/profile_name/profile_name_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/desktop/profile_edits.h"
#include "app/strings/string_ids.h"
#include "engine/profiles/profile.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {

ProfileNameBox::ProfileNameBox(const StringTable& strings, const std::string& name, QWidget* parent)
    : QDialog(parent) {
  setObjectName("ProfileNameBox");
  setWindowTitle(PageText(strings, kStrProfileNameCaption));
  auto* column = MakeOwned<QVBoxLayout>(this);
  auto* label = MakeOwned<QLabel>(PageText(strings, kStrProfileNameLabel));
  field_ = MakeOwned<QLineEdit>(QString::fromStdString(name));
  field_->setObjectName("ProfileName");
  // The record keeps 32 bytes; longer names are cut there on a character boundary.
  field_->setMaxLength(static_cast<int>(kProfileNameSize));
  label->setBuddy(field_);
  column->addWidget(label);
  column->addWidget(field_);
  auto* buttons = MakeOwned<QDialogButtonBox>(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  column->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  const auto follow = [this, ok] { ok->setEnabled(ProfileNameFrom(Name()).has_value()); };
  connect(field_, &QLineEdit::textChanged, this, follow);
  follow();
  field_->selectAll();
  setMinimumWidth(fontMetrics().averageCharWidth() * 40);
}

std::string ProfileNameBox::Name() const {
  return field_->text().toStdString();
}

std::optional<std::string> ProfileNameBox::Ask(const StringTable& strings, const std::string& name,
                                               QWidget* parent) {
  ProfileNameBox box(strings, name, parent);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return ProfileNameFrom(box.Name());
}

}  // namespace pacetta::ui
