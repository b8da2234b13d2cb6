#include "ui/pages/profiles/state_rows.h"

#include <QComboBox>
#include <QHeaderView>
#include <algorithm>

#include "app/strings/string_ids.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

enum Column { kIndexColumn, kTypeColumn, kFidColumn, kVidColumn, kColumnCount };

uint32_t TypeText(const PState& row) {
  switch (TypeOf(row)) {
    case StateType::kSuperLfm:
      return kStrStateTypeSuperLfm;
    case StateType::kIda:
      return kStrStateTypeIda;
    case StateType::kNormal:
      break;
  }
  return kStrStateTypeNormal;
}

// The steps a row's list offers: every step when it may be chosen, else the row's own
// value alone. A row whose value is no step (a stored state the processor does not offer)
// still shows it, in its place by value.
std::vector<StepChoice> RowChoices(const std::vector<StepChoice>& steps, bool choosable,
                                   StepChoice own) {
  if (!choosable) return {own};
  std::vector<StepChoice> choices = steps;
  if (StepIndexOf(choices, own.code) < 0) {
    const auto place = std::find_if(choices.begin(), choices.end(),
                                    [&](const StepChoice& step) { return step.value > own.value; });
    choices.insert(place, own);
  }
  return choices;
}

void Fill(QComboBox& box, const std::vector<StepChoice>& choices, int32_t code, bool volts) {
  box.clear();
  for (const StepChoice& choice : choices) {
    box.addItem(
        QString::fromStdString(volts ? VoltageText(choice.value) : MultiplierText(choice.value)));
  }
  box.setCurrentIndex(std::max(StepIndexOf(choices, code), 0));
}

}  // namespace

StateRows::StateRows(const StringTable& strings, QWidget* parent)
    : QTableWidget(0, kColumnCount, parent), strings_(strings) {
  setObjectName("StateRows");
  setHorizontalHeaderLabels({PageText(strings, kStrColumnIndex), PageText(strings, kStrColumnType),
                             PageText(strings, kStrColumnFid), PageText(strings, kStrColumnVid)});
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  horizontalHeader()->setSectionResizeMode(kVidColumn, QHeaderView::Stretch);
  horizontalHeader()->setHighlightSections(false);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  connect(this, &QTableWidget::itemChanged, this,
          [this](QTableWidgetItem* item) { OnEnableToggled(item); });
}

void StateRows::EnsureRows(int count) {
  while (static_cast<int>(lists_.size()) < count) {
    const int row = static_cast<int>(lists_.size());
    insertRow(row);
    auto* index = MakeOwned<QTableWidgetItem>(QString::number(row));
    index->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    setItem(row, kIndexColumn, index);
    auto* type = MakeOwned<QTableWidgetItem>();
    type->setFlags(Qt::ItemIsEnabled);
    setItem(row, kTypeColumn, type);
    Lists lists;
    lists.fid = MakeOwned<QComboBox>();
    lists.fid->setObjectName(QStringLiteral("Fid%1").arg(row));
    lists.vid = MakeOwned<QComboBox>();
    lists.vid->setObjectName(QStringLiteral("Vid%1").arg(row));
    setCellWidget(row, kFidColumn, lists.fid);
    setCellWidget(row, kVidColumn, lists.vid);
    connect(lists.fid, &QComboBox::activated, this,
            [this, row](int entry) { OnFidChosen(row, entry); });
    connect(lists.vid, &QComboBox::activated, this,
            [this, row](int entry) { OnVidChosen(row, entry); });
    lists_.push_back(std::move(lists));
  }
  setRowCount(count);
  lists_.resize(static_cast<size_t>(count));
}

void StateRows::Show(const PStateTable& table, const CpuInfo& cpu, bool control) {
  showing_ = true;
  table_ = table;
  cpu_ = &cpu;
  fidSteps_ = FidSteps(cpu);
  vidSteps_ = VidSteps(cpu);
  range_ = FindIntermediateRange(table_);
  const int count = control ? std::clamp(table_.Count(), 0, kMaxPStates) : 0;
  EnsureRows(count);
  for (int row = 0; row < count; ++row) ShowRow(row);
  setEnabled(control);
  showing_ = false;
}

void StateRows::ShowRow(int row) {
  const PState& state = table_.rows[static_cast<size_t>(row)];
  item(row, kIndexColumn)->setCheckState(state.enabled != 0 ? Qt::Checked : Qt::Unchecked);
  item(row, kTypeColumn)->setText(PageText(strings_, TypeText(state)));
  Lists& lists = lists_[static_cast<size_t>(row)];
  const auto fid = static_cast<int32_t>(state.fid);
  lists.fids = RowChoices(fidSteps_, FidEditable(state), {fid, MultiplierOfFid(*cpu_, fid)});
  Fill(*lists.fid, lists.fids, fid, false);
  lists.fid->setEnabled(FidEditable(state));
  ShowVid(row);
}

void StateRows::ShowVid(int row) {
  const PState& state = table_.rows[static_cast<size_t>(row)];
  Lists& lists = lists_[static_cast<size_t>(row)];
  const auto vid = static_cast<int32_t>(state.vid);
  lists.vids = RowChoices(vidSteps_, VidEditable(state), {vid, VoltageOfVid(*cpu_, vid)});
  Fill(*lists.vid, lists.vids, vid, true);
  lists.vid->setEnabled(VidEditable(state));
}

void StateRows::OnEnableToggled(QTableWidgetItem* changed) {
  if (showing_ || changed == nullptr || changed->column() != kIndexColumn) return;
  const int row = changed->row();
  if (row < 0 || row >= table_.Count()) return;
  table_.rows[static_cast<size_t>(row)].enabled = changed->checkState() == Qt::Checked ? 1 : 0;
  if (edited_) edited_();
}

void StateRows::OnFidChosen(int row, int entry) {
  const Lists& lists = lists_[static_cast<size_t>(row)];
  if (showing_ || entry < 0 || static_cast<size_t>(entry) >= lists.fids.size()) return;
  table_.rows[static_cast<size_t>(row)].fid =
      static_cast<uint32_t>(lists.fids[static_cast<size_t>(entry)].code);
  if (edited_) edited_();
}

void StateRows::OnVidChosen(int row, int entry) {
  const Lists& lists = lists_[static_cast<size_t>(row)];
  if (showing_ || entry < 0 || static_cast<size_t>(entry) >= lists.vids.size()) return;
  const auto vid = static_cast<uint32_t>(lists.vids[static_cast<size_t>(entry)].code);
  const std::vector<int32_t> adjusted = ChooseRowVid(table_, *cpu_, row, vid, autoAdjust_, range_);
  showing_ = true;
  for (int32_t between : adjusted) ShowVid(between);
  showing_ = false;
  if (edited_) edited_();
}

QComboBox* StateRows::FidList(int row) const {
  return row >= 0 && row < rowCount() ? lists_[static_cast<size_t>(row)].fid : nullptr;
}

QComboBox* StateRows::VidList(int row) const {
  return row >= 0 && row < rowCount() ? lists_[static_cast<size_t>(row)].vid : nullptr;
}

}  // namespace pacetta::ui
