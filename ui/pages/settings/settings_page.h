#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "app/desktop/desktop_model.h"
#include "ui/pages/settings/interface_values.h"
#include "ui/pages/settings/language_list.h"
#include "ui/window/page.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pacetta::ui {

// "Settings": language, colours, balloons, window, temperature unit, start-up and the log.
// Edits a copy until "Apply", which hands it to the running program, makes the window
// follow its style and, when the language changed, offers the restart that shows it.
class SettingsPage final : public Page {
 public:
  // Asked for a new colour starting from `current` (0x00BBGGRR); nullopt: cancelled.
  using ColorChooser = std::function<std::optional<uint32_t>(uint32_t current)>;

  // `chooseColor` empty: the system's colour chooser.
  explicit SettingsPage(PageContext context, ColorChooser chooseColor = {});

  void Reload() override;
  void ApplyWithoutAsking() override;

  // The values as the page's controls hold them.
  InterfaceSettings Edited() const;
  // The page holds changes not yet applied.
  bool Pending() const { return Edited() != shown_; }

 private:
  void CreateControls(const StringTable& strings);
  void LayOut(const StringTable& strings);
  void Connect();
  void Show(const InterfaceSettings& values);
  void ShowColor();
  void ChangeColor();
  void FollowEdits();
  void Apply();
  // The colour list's entry, never outside the twelve.
  size_t ColorIndex() const;

  std::vector<LanguageEntry> languages_;
  QComboBox* language_ = nullptr;
  QComboBox* colorName_ = nullptr;
  QFrame* swatch_ = nullptr;
  QPushButton* changeColor_ = nullptr;
  QCheckBox* infoBalloons_ = nullptr;
  QCheckBox* criticalBalloons_ = nullptr;
  QCheckBox* alwaysOnTop_ = nullptr;
  QCheckBox* taskbarButton_ = nullptr;
  QRadioButton* celsius_ = nullptr;
  QRadioButton* fahrenheit_ = nullptr;
  QCheckBox* runMinimized_ = nullptr;
  QCheckBox* autoRun_ = nullptr;
  QComboBox* autoRunWay_ = nullptr;
  QCheckBox* logging_ = nullptr;
  std::array<QCheckBox*, 8> logItems_{};
  QSpinBox* days_ = nullptr;
  QSpinBox* hours_ = nullptr;
  QSpinBox* minutes_ = nullptr;
  QPushButton* defaults_ = nullptr;
  QPushButton* apply_ = nullptr;

  ColorSettings colors_;     // the page's copy: the swatch shows one at a time
  InterfaceSettings shown_;  // as the page showed the settings when loaded
  ColorChooser chooseColor_;
  bool showing_ = false;  // controls are being set, not edited
};

}  // namespace pacetta::ui
