#pragma once
#include <QTableWidget>
#include <functional>
#include <vector>

#include "app/desktop/pstate_steps.h"
#include "app/desktop/state_editor.h"
#include "app/strings/string_table.h"
#include "engine/profiles/pstate_table.h"

class QComboBox;

namespace pacetta::ui {

// The performance-state editor's rows: per row of the table its enable box (labelled
// with its index), its type, and its FID and VID lists, each a choice only where the
// row's flags allow one. Every row the table has is shown (up to 64); none without
// FID/VID control. Edits a copy of the table.
class StateRows final : public QTableWidget {
 public:
  explicit StateRows(const StringTable& strings, QWidget* parent = nullptr);

  void Show(const PStateTable& table, const CpuInfo& cpu, bool control);
  const PStateTable& Table() const { return table_; }
  // "Auto-adjust intermediate states VIDs": a VID chosen at either end of the
  // intermediate states re-interpolates the states between.
  void SetAutoAdjust(bool on) { autoAdjust_ = on; }
  void SetOnEdited(std::function<void()> edited) { edited_ = std::move(edited); }

  QComboBox* FidList(int row) const;
  QComboBox* VidList(int row) const;

 private:
  struct Lists {
    QComboBox* fid = nullptr;
    QComboBox* vid = nullptr;
    std::vector<StepChoice> fids;
    std::vector<StepChoice> vids;
  };

  void EnsureRows(int count);
  void ShowRow(int row);
  void ShowVid(int row);
  void OnEnableToggled(QTableWidgetItem* item);
  void OnFidChosen(int row, int entry);
  void OnVidChosen(int row, int entry);

  const StringTable& strings_;
  std::vector<Lists> lists_;
  PStateTable table_;
  const CpuInfo* cpu_ = nullptr;
  std::vector<StepChoice> fidSteps_;
  std::vector<StepChoice> vidSteps_;
  IntermediateRange range_;
  bool autoAdjust_ = true;
  bool showing_ = false;
  std::function<void()> edited_;
};

}  // namespace pacetta::ui
