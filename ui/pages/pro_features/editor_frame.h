#pragma once
class QDialog;
class QFormLayout;

namespace pacetta::ui {

// Puts an editor's rows above its OK and Cancel buttons. The dialog takes the size of the
// rows it shows, so it shrinks and grows as the fields of a type come and go.
void FrameEditor(QDialog& dialog, QFormLayout* form);

}  // namespace pacetta::ui
