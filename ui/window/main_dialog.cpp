#include "ui/window/main_dialog.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QScreen>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/strings/string_ids.h"
#include "ui/window/qt_child.h"
#include "ui/window/window_layout.h"

namespace pacetta::ui {
namespace {

// What a tree item stands for.
constexpr int kKindRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;  // root index or profile index
constexpr int kRootItem = 0;
constexpr int kProfileItem = 1;
constexpr int kBatteryItem = 2;

QRect Place(const DialogUnits& units, const layout::Box& box) {
  return units.Rect(box.x, box.y, box.width, box.height);
}

QTreeWidgetItem* MakeItem(const QString& text, int kind, int index) {
  auto* item = MakeOwned<QTreeWidgetItem>(QStringList{text});
  item->setData(0, kKindRole, kind);
  item->setData(0, kIndexRole, index);
  return item;
}

int KindOf(const QTreeWidgetItem* item) {
  return item->data(0, kKindRole).toInt();
}

int IndexOf(const QTreeWidgetItem* item) {
  return item->data(0, kIndexRole).toInt();
}

// The screen a window at `frame` is on: where its centre or its corner lies, else the
// primary screen (its own was removed).
QScreen* ScreenOf(const QRect& frame) {
  if (QScreen* screen = QGuiApplication::screenAt(frame.center())) return screen;
  if (QScreen* screen = QGuiApplication::screenAt(frame.topLeft())) return screen;
  return QGuiApplication::primaryScreen();
}

}  // namespace

MainDialog::MainDialog(DesktopModel& model, std::span<const PageRegistration> pages,
                       WindowOptions options)
    : model_(model), options_(std::move(options)), units_(font()) {
  setObjectName("MainWindow");
  const WindowSettings& stored = model_.Settings().window;
  // Without a taskbar button the window is a tool window, but only while a tray can
  // bring it back: otherwise a minimised window would be out of reach.
  Qt::WindowFlags flags = stored.taskbarButton == 0 && TrayAvailable() ? Qt::Tool : Qt::Window;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
  if (stored.alwaysOnTop != 0) flags |= Qt::WindowStaysOnTopHint;
  setWindowFlags(flags);
  setWindowTitle(QString::fromStdString(model_.Strings().Get(kStrProductName)));
  setFixedSize(units_.Size(layout::kWindow.width, layout::kWindow.height));

  BuildControls();
  CreatePages(pages);
  BuildTree();
  ApplyStoredState();
}

MainDialog::~MainDialog() {
  // The tree's items go after this body; their selection must reach nothing of ours.
  ended_ = true;
  tree_->disconnect(this);
}

void MainDialog::BuildControls() {
  group_ = MakeOwned<QGroupBox>(QStringLiteral("Pages"), this);
  group_->setGeometry(Place(units_, layout::kPagesGroup));
  tree_ = MakeOwned<QTreeWidget>(group_);
  tree_->setObjectName("PageTree");
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setColumnCount(1);
  auto* frame = MakeOwned<QVBoxLayout>(group_);
  frame->addWidget(tree_);

  collapse_ = MakeOwned<QToolButton>(this);
  collapse_->setObjectName("Collapse");
  collapse_->setArrowType(Qt::LeftArrow);
  collapse_->setToolTip(QStringLiteral("Hide the page tree"));
  collapse_->setGeometry(Place(units_, layout::kCollapse));
  expand_ = MakeOwned<QToolButton>(this);
  expand_->setObjectName("Expand");
  expand_->setArrowType(Qt::RightArrow);
  expand_->setToolTip(QStringLiteral("Show the page tree"));
  expand_->setGeometry(Place(units_, layout::kExpand));
  expand_->hide();
  connect(collapse_, &QToolButton::clicked, this, [this] { Collapse(); });
  connect(expand_, &QToolButton::clicked, this, [this] { Expand(); });

  caption_ = MakeOwned<QLabel>(this);
  caption_->setObjectName("PageCaption");
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  caption_->setGeometry(Place(units_, layout::kCaption));
}

void MainDialog::CreatePages(std::span<const PageRegistration> pages) {
  const QRect placeholder = Place(units_, layout::kPlaceholder);
  const auto create = [&](const PageRegistration& registration) -> Page* {
    std::unique_ptr<Page> created = registration.create(PageContext{model_, *this});
    if (!created) return nullptr;
    created->setParent(this);
    Page* page = created.release();  // the window owns it now
    page->setGeometry(placeholder);
    page->hide();
    pages_.push_back(page);
    return page;
  };
  // In the order of the root list, the Profile page right after "Profiles".
  for (const RootEntry& entry : RootEntries(pages, model_)) {
    Page* page = create(*entry.page);
    if (!page) continue;
    roots_[entry.index] = {page, entry.page->textId};
    const int shared = entry.index == kProfilesIndex      ? kProfilePage
                       : entry.index == kBatteryInfoIndex ? kBatteryDevicePage
                                                          : 0;
    if (shared == 0) continue;
    for (const PageRegistration& registration : pages) {
      if (registration.order != shared) continue;
      if (registration.present && !registration.present(model_)) continue;
      (shared == kProfilePage ? profilePage_ : batteryPage_) = create(registration);
      break;
    }
  }
}

void MainDialog::BuildTree() {
  // Root indices rise with the tree order.
  const StringTable& strings = model_.Strings();
  for (const auto& [index, root] : roots_) {
    QTreeWidgetItem* item =
        MakeItem(QString::fromStdString(strings.Get(root.textId)), kRootItem, index);
    tree_->addTopLevelItem(item);
    if (index == kProfilesIndex && profilePage_) {
      profilesItem_ = item;
      FillProfileItems();
      item->setExpanded(true);
    }
    if (index == kBatteryInfoIndex && batteryPage_) {
      batteryItem_ = item;
      FillBatteryItems();
      item->setExpanded(true);
    }
  }
  connect(tree_, &QTreeWidget::currentItemChanged, this, &MainDialog::OnCurrentItemChanged);
}

void MainDialog::FillProfileItems() {
  for (const ProfileEntry& entry : ProfileEntries(model_)) {
    profilesItem_->addChild(MakeItem(entry.text, kProfileItem, entry.profile));
  }
}

void MainDialog::FillBatteryItems() {
  const BatteryMonitor* battery = model_.Battery();
  if (!battery) return;
  batterySerial_ = battery->ListSerial();
  for (size_t i = 0; i < battery->DeviceCount(); ++i) {
    batteryItem_->addChild(MakeItem(QString::fromStdString(battery->DeviceItemText(i)),
                                    kBatteryItem, static_cast<int>(i)));
  }
}

void MainDialog::SyncBatteryItems() {
  const BatteryMonitor* battery = model_.Battery();
  if (!batteryItem_ || !battery || battery->ListSerial() == batterySerial_) return;
  QTreeWidgetItem* current = tree_->currentItem();
  const bool deviceSelected = current && KindOf(current) == kBatteryItem;
  {
    const QSignalBlocker block(tree_);
    if (deviceSelected) tree_->setCurrentItem(batteryItem_);
    for (QTreeWidgetItem* child : batteryItem_->takeChildren()) {
      std::unique_ptr<QTreeWidgetItem> gone(child);
    }
    FillBatteryItems();
  }
  // The device page shown belonged to the old list.
  if (deviceSelected) SwitchTo(batteryItem_);
}

void MainDialog::ApplyStoredState() {
  const WindowSettings& stored = model_.Settings().window;
  if (stored.collapsed != 0) Collapse();
  move(stored.left, stored.top);
  QTreeWidgetItem* first = RootItem(stored.activePage);
  if (!first && tree_->topLevelItemCount() > 0) first = tree_->topLevelItem(0);
  if (first) tree_->setCurrentItem(first);
}

bool MainDialog::TrayAvailable() const {
  return options_.trayAvailable ? options_.trayAvailable()
                                : QSystemTrayIcon::isSystemTrayAvailable();
}

QTreeWidgetItem* MainDialog::RootItem(int index) const {
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = tree_->topLevelItem(i);
    if (IndexOf(item) == index) return item;
  }
  return nullptr;
}

QTreeWidgetItem* MainDialog::ProfileItem(int32_t profile) const {
  if (!profilesItem_) return nullptr;
  for (int i = 0; i < profilesItem_->childCount(); ++i) {
    QTreeWidgetItem* item = profilesItem_->child(i);
    if (IndexOf(item) == profile) return item;
  }
  return nullptr;
}

bool MainDialog::ShownPageAgrees() {
  return !shown_ || shown_->AgreeToLeave();
}

void MainDialog::OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (reverting_ || ended_) return;
  if (previous && !ShownPageAgrees()) {
    // The page keeps the user: the old item is selected again, nothing else changes.
    reverting_ = true;
    tree_->setCurrentItem(previous);
    reverting_ = false;
    return;
  }
  SwitchTo(current);
}

void MainDialog::SwitchTo(QTreeWidgetItem* item) {
  if (shown_) shown_->hide();
  shown_ = nullptr;
  if (!item) {
    caption_->clear();
    return;
  }
  if (KindOf(item) == kProfileItem) {
    caption_->setText(ProfileCaption(model_, IndexOf(item)));
    if (profilePage_) {
      profilePage_->LoadProfile(IndexOf(item));
      shown_ = profilePage_;
    }
  } else if (KindOf(item) == kBatteryItem) {
    caption_->setText(item->text(0));
    batteryPage_->LoadDevice(static_cast<size_t>(IndexOf(item)));
    shown_ = batteryPage_;
  } else {
    caption_->setText(item->text(0));
    const auto root = roots_.find(IndexOf(item));
    if (root != roots_.end()) {
      root->second.page->Reload();
      shown_ = root->second.page;
    }
  }
  if (shown_) shown_->show();
}

void MainDialog::SelectRootItem(int index) {
  if (QTreeWidgetItem* item = RootItem(index)) tree_->setCurrentItem(item);
}

void MainDialog::SelectProfileItem(int32_t profile) {
  if (QTreeWidgetItem* item = ProfileItem(profile)) tree_->setCurrentItem(item);
}

void MainDialog::ProfilesChanged() {
  if (!profilesItem_ || ended_) return;
  QTreeWidgetItem* current = tree_->currentItem();
  const bool profileSelected = current && KindOf(current) == kProfileItem;
  const int32_t selected = profileSelected ? IndexOf(current) : -1;
  bool showProfiles = false;
  {
    const QSignalBlocker block(tree_);
    for (QTreeWidgetItem* child : profilesItem_->takeChildren()) {
      std::unique_ptr<QTreeWidgetItem> gone(child);
    }
    FillProfileItems();
    if (profileSelected) {
      if (QTreeWidgetItem* same = ProfileItem(selected)) {
        tree_->setCurrentItem(same);
        caption_->setText(ProfileCaption(model_, selected));  // a rename
      } else {
        tree_->setCurrentItem(profilesItem_);
        showProfiles = true;
      }
    } else if (current) {
      tree_->setCurrentItem(current);
    }
  }
  // The page deleted its own profile: there is nothing left to agree on.
  if (showProfiles) SwitchTo(profilesItem_);
}

QString MainDialog::CaptionText() const {
  return caption_->text();
}

void MainDialog::ShowWindow() {
  if (ended_) return;
  PlaceOnScreen();
  if (isMinimized()) {
    showNormal();
  } else {
    show();
  }
  // The frame is known once the window is on screen: a first show may have grown it.
  PlaceOnScreen();
  model_.ForceRefresh();
  raise();
  activateWindow();
}

void MainDialog::PlaceOnScreen() {
  if (QScreen* screen = ScreenOf(frameGeometry())) {
    move(PlaceOnWorkArea(frameGeometry(), screen->availableGeometry()));
  }
}

void MainDialog::ToggleWindow() {
  // A window hidden, minimised or behind another one comes forward; Qt does not tell
  // which windows lie above, so only the active window counts as in front.
  if (!isVisible() || isMinimized() || !isActiveWindow()) {
    ShowWindow();
  } else {
    PutAway();
  }
}

bool MainDialog::PutAway() {
  if (ended_) {
    hide();
    return true;
  }
  if (!ShownPageAgrees()) return false;
  puttingAway_ = true;
  if (TrayAvailable()) {
    hide();
  } else {
    showMinimized();
  }
  puttingAway_ = false;
  // Edits the user chose not to apply are dropped now, not shown again later.
  if (shown_) shown_->Reload();
  return true;
}

void MainDialog::OnMinimised() {
  if (!isMinimized() || ended_) return;
  if (!ShownPageAgrees()) {
    showNormal();
    return;
  }
  if (TrayAvailable()) {
    // As the close box: restored and hidden, so that showing it again shows it whole.
    puttingAway_ = true;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    hide();
    puttingAway_ = false;
  }
  if (shown_) shown_->Reload();
}

void MainDialog::PlaceMovable(int shift) {
  caption_->move(caption_->x() + shift, caption_->y());
  for (Page* page : pages_) page->move(page->x() + shift, page->y());
}

void MainDialog::Collapse() {
  if (collapsed_) return;
  const int shift = group_->width();
  const bool treeHadFocus = tree_->hasFocus() || collapse_->hasFocus();
  setUpdatesEnabled(false);
  group_->hide();
  collapse_->hide();
  PlaceMovable(-shift);
  setFixedSize(width() - shift, height());
  expand_->show();
  setUpdatesEnabled(true);
  if (treeHadFocus) expand_->setFocus();
  collapsed_ = true;
}

void MainDialog::Expand() {
  if (!collapsed_) return;
  const int shift = group_->width();
  // Widened to the left; at the desktop's left edge it grows to the right instead.
  const QScreen* screen = ScreenOf(frameGeometry());
  const int left = ExpandedLeft(x(), shift, screen ? screen->virtualGeometry().left() : 0);
  const bool buttonHadFocus = expand_->hasFocus();
  setUpdatesEnabled(false);
  expand_->hide();
  setFixedSize(width() + shift, height());
  move(left, y());
  PlaceMovable(shift);
  group_->show();
  collapse_->show();
  setUpdatesEnabled(true);
  if (buttonHadFocus) tree_->setFocus();
  collapsed_ = false;
}

void MainDialog::RefreshShownPage() {
  if (ended_) return;
  SyncBatteryItems();
  if (!shown_ || !isVisible() || isMinimized()) return;
  shown_->RefreshShownValues();
}

WindowSettings MainDialog::State() const {
  WindowSettings state = model_.Settings().window;
  state.left = x();
  state.top = y();
  state.collapsed = collapsed_ ? 1 : 0;
  state.activePage = 0;
  if (const QTreeWidgetItem* current = tree_->currentItem()) {
    state.activePage = KindOf(current) == kProfileItem   ? kProfilesIndex
                       : KindOf(current) == kBatteryItem ? kBatteryInfoIndex
                                                         : IndexOf(current);
  }
  return state;
}

void MainDialog::End() {
  if (ended_) return;
  model_.SetWindowSettings(State());
  for (Page* page : pages_) page->StoreState();
  ended_ = true;
  CloseBoxes();
}

int MainDialog::ShowBox(QMessageBox& box) {
  openBoxes_.push_back(&box);
  const int result = box.exec();
  openBoxes_.erase(std::find(openBoxes_.begin(), openBoxes_.end(), &box));
  return result;
}

bool MainDialog::AskYesNo(uint32_t textId, uint32_t captionId) {
  if (ended_) return false;
  const StringTable& strings = model_.Strings();
  // Over the window while it is on screen; a window put away has no place for it.
  QWidget* parent = isVisible() && !isMinimized() ? this : nullptr;
  // A question titled "Warning" warns: it carries the exclamation icon.
  const QMessageBox::Icon icon =
      captionId == kStrWarningCaption ? QMessageBox::Warning : QMessageBox::Question;
  QMessageBox box(icon, QString::fromStdString(strings.Get(captionId)),
                  QString::fromStdString(strings.Get(textId)), QMessageBox::Yes | QMessageBox::No,
                  parent);
  const int answer = ShowBox(box);
  return answer == QMessageBox::Yes && !ended_;
}

void MainDialog::Tell(uint32_t textId, uint32_t captionId, bool warning) {
  if (ended_) return;
  const StringTable& strings = model_.Strings();
  QWidget* parent = isVisible() && !isMinimized() ? this : nullptr;
  QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Critical,
                  QString::fromStdString(strings.Get(captionId)),
                  QString::fromStdString(strings.Get(textId)), QMessageBox::Ok, parent);
  ShowBox(box);
}

void MainDialog::CloseBoxes() {
  // A copy: a box that ends leaves the list once its loop returns.
  const std::vector<QMessageBox*> open = openBoxes_;
  for (QMessageBox* box : open) box->reject();
}

void MainDialog::closeEvent(QCloseEvent* event) {
  // The close box only puts the window away; the program ends by its own close message.
  event->ignore();
  PutAway();
}

void MainDialog::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !isMinimized() || puttingAway_ || ended_) {
    return;
  }
  // After the state change has run its course: the page may open a question box.
  QMetaObject::invokeMethod(
      this, [this] { OnMinimised(); }, Qt::QueuedConnection);
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    PutAway();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace pacetta::ui
