#pragma once
#include <array>
#include <memory>

#include "app/advanced/transmeta_advanced.h"
#include "ui/window/page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;
class QToolButton;
class QTreeWidget;

namespace pacetta::ui {

// "Advanced CPU settings" on a Transmeta processor: LongRun's bounds and mode and the
// northbridge's thermal management, each with an AC power and a battery column, and the
// levels of the LongRun table. "Apply" writes the column of the present power source.
class AdvancedTransmetaPage final : public Page {
 public:
  enum Column : size_t { kAc = 0, kBattery = 1 };
  enum class Preset { kMinimal, kMaximal, kVariated };

  AdvancedTransmetaPage(PageContext context, TransmetaAdvanced& transmeta);

  // Shown again: the stored values with "Apply these settings at startup", otherwise the
  // registers in the present source's column; unapplied edits go.
  void Reload() override;
  // The running program writes the applied values again itself: an edit not applied
  // must not reach the hardware.
  void ApplyWithoutAsking() override {}

  LongRunValues EditedValues() const;
  // The presets change the page only.
  void LoadPreset(Preset preset);

 private:
  struct ColumnFields {
    QSpinBox* minBound = nullptr;
    QSpinBox* maxBound = nullptr;
    QComboBox* mode = nullptr;
    QComboBox* atm = nullptr;

    std::array<QWidget*, 4> Widgets() const;
  };

  void Refresh();
  void ShowColumn(Column column, const LongRunColumn& values);
  LongRunColumn EditedColumn(Column column) const;
  void ShowTable();
  void Apply();

  TransmetaAdvanced& transmeta_;
  std::array<ColumnFields, 2> columns_{};
  QToolButton* presets_ = nullptr;
  QGroupBox* atmGroup_ = nullptr;
  QTreeWidget* table_ = nullptr;
  QCheckBox* remember_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* apply_ = nullptr;
};

// Registered in the page catalogue: present when processor 0 gets the Transmeta page and
// the program has the LongRun settings.
bool HasAdvancedTransmetaPage(const DesktopModel& model);
std::unique_ptr<Page> MakeAdvancedTransmetaPage(PageContext context);

}  // namespace pacetta::ui
