#pragma once
#include <QStringList>
#include <QTreeWidget>
#include <functional>
#include <vector>

namespace pacetta::ui {

// The list of an events or actions tab: one row per record with its "enabled" check box
// in the first column, whole rows selected one at a time. The first columns take fixed
// shares of the list's width, the last one the rest.
class RecordList final : public QTreeWidget {
 public:
  // `shares`: the percentage of the width of each column but the last.
  RecordList(const QStringList& titles, std::vector<int> shares, QWidget* parent = nullptr);

  // Row `row` created when missing; its box and texts set without calling OnToggled.
  void SetRow(int row, bool enabled, const QStringList& texts);
  void SetText(int row, int column, const QString& text);
  // Rows from `count` on removed.
  void Truncate(int count);

  // The selected row, -1 without one.
  int SelectedRow() const;
  void SelectRow(int row);

  // The user ticked or unticked a row's box.
  void SetOnToggled(std::function<void(int row, bool enabled)> toggled);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShareWidth();

  std::vector<int> shares_;
  std::function<void(int, bool)> toggled_;
  bool filling_ = false;
};

}  // namespace pacetta::ui
