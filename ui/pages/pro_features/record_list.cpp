#include "ui/pages/pro_features/record_list.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <memory>
#include <utility>

#include "ui/window/qt_child.h"

namespace pacetta::ui {

RecordList::RecordList(const QStringList& titles, std::vector<int> shares, QWidget* parent)
    : QTreeWidget(parent), shares_(std::move(shares)) {
  setHeaderLabels(titles);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  header()->setStretchLastSection(true);
  header()->setSectionsMovable(false);
  // The columns share the list's width: texts longer than their column are cut, and
  // their tips show them whole.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (filling_ || column != 0 || !toggled_) return;
    toggled_(indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
  });
}

void RecordList::SetRow(int row, bool enabled, const QStringList& texts) {
  filling_ = true;
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr) {
    item = MakeOwned<QTreeWidgetItem>();
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    insertTopLevelItem(row, item);
  }
  for (int column = 0; column < texts.size(); ++column) {
    item->setText(column, texts[column]);
    item->setToolTip(column, texts[column]);
  }
  item->setCheckState(0, enabled ? Qt::Checked : Qt::Unchecked);
  filling_ = false;
}

void RecordList::SetText(int row, int column, const QString& text) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr || item->text(column) == text) return;
  filling_ = true;
  item->setText(column, text);
  item->setToolTip(column, text);
  filling_ = false;
}

void RecordList::Truncate(int count) {
  while (topLevelItemCount() > count) {
    std::unique_ptr<QTreeWidgetItem> gone(takeTopLevelItem(topLevelItemCount() - 1));
  }
}

int RecordList::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

void RecordList::SelectRow(int row) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr) {
    clearSelection();
    return;
  }
  setCurrentItem(item);
  scrollToItem(item);
}

void RecordList::SetOnToggled(std::function<void(int row, bool enabled)> toggled) {
  toggled_ = std::move(toggled);
}

void RecordList::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  ShareWidth();
}

void RecordList::ShareWidth() {
  const int width = viewport()->width();
  for (size_t column = 0; column < shares_.size(); ++column) {
    setColumnWidth(static_cast<int>(column), width * shares_[column] / 100);
  }
}

}  // namespace pacetta::ui
