#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <vector>

#include "app/desktop/desktop_model.h"
#include "ui/window/dialog_units.h"
#include "ui/window/page.h"
#include "ui/window/page_tree.h"

class QGroupBox;
class QLabel;
class QMessageBox;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pacetta::ui {

struct WindowOptions {
  // Whether the desktop has a tray to hold the program: a window the user closes or
  // minimises is hidden then, and minimised otherwise, so that the task bar still reaches
  // it. Empty: asks the desktop.
  std::function<bool()> trayAvailable;
};

// The main window: a fixed-size dialog with the page tree on the left and the selected
// item's page on the right. It lives for the whole run and is usually hidden; closing or
// minimising it only puts it away, the program keeps running.
class MainDialog final : public QWidget, public PageHost {
  Q_OBJECT
 public:
  // Creates every page present on the model's system, builds the tree and places the
  // window as the stored window state says (not shown yet).
  MainDialog(DesktopModel& model, std::span<const PageRegistration> pages,
             WindowOptions options = {});
  ~MainDialog() override;

  // PageHost.
  bool AskYesNo(uint32_t textId, uint32_t captionId) override;
  void Tell(uint32_t textId, uint32_t captionId, bool warning) override;
  void ProfilesChanged() override;
  void SelectRootItem(int index) override;
  void SelectProfileItem(int32_t profile) override;

  // Show window: moved onto the work area of its screen (the primary one when its own is
  // gone), shown, refreshed at once, raised and activated.
  void ShowWindow();
  // The tray's "View/hide main window": a window that is not in front comes forward,
  // one in front is put away.
  void ToggleWindow();
  // What closing or minimising does: once the shown page agrees to be left, the window is
  // hidden (minimised where there is no tray). False when the page keeps it.
  bool PutAway();
  // The tree hidden and the window narrowed by its group's width, or back.
  void Collapse();
  void Expand();
  bool Collapsed() const { return collapsed_; }

  // After every refresh of the program: the shown page updates its values.
  void RefreshShownPage();
  // The window state to store: position, collapse state, the selected root item.
  WindowSettings State() const;
  // The orderly end, before the settings are saved: the window state goes to the model,
  // the pages store theirs, an open box closes with the safe answer. From then on the
  // window never touches the model or a page.
  void End();

  // A question or message box of a page is open (tray commands wait meanwhile).
  bool ModalBoxOpen() const { return !openBoxes_.empty(); }
  // Ends every open box with the safe answer.
  void CloseBoxes();

  QTreeWidget& Tree() { return *tree_; }
  QString CaptionText() const;
  Page* ShownPage() const { return shown_; }
  const DialogUnits& Units() const { return units_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void CreatePages(std::span<const PageRegistration> pages);
  void BuildTree();
  void FillProfileItems();
  void FillBatteryItems();
  // The monitor listed its devices afresh: the device items follow; a device item that
  // was selected leaves "Battery info" selected.
  void SyncBatteryItems();
  void ApplyStoredState();
  bool TrayAvailable() const;
  bool ShownPageAgrees();
  void OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void SwitchTo(QTreeWidgetItem* item);
  void OnMinimised();
  void PlaceOnScreen();
  void PlaceMovable(int shift);
  QTreeWidgetItem* RootItem(int index) const;
  QTreeWidgetItem* ProfileItem(int32_t profile) const;
  int ShowBox(QMessageBox& box);

  DesktopModel& model_;
  WindowOptions options_;
  DialogUnits units_;
  QGroupBox* group_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QLabel* caption_ = nullptr;
  QToolButton* collapse_ = nullptr;
  QToolButton* expand_ = nullptr;
  // Owned by the window as its children.
  std::vector<Page*> pages_;
  struct RootPage {
    Page* page = nullptr;
    uint32_t textId = 0;
  };
  std::map<int, RootPage> roots_;  // by root index
  Page* profilePage_ = nullptr;
  QTreeWidgetItem* profilesItem_ = nullptr;
  Page* batteryPage_ = nullptr;  // shared by the battery device items
  QTreeWidgetItem* batteryItem_ = nullptr;
  uint64_t batterySerial_ = 0;  // the monitor's list the items show
  Page* shown_ = nullptr;
  std::vector<QMessageBox*> openBoxes_;
  bool collapsed_ = false;
  bool reverting_ = false;    // a refused change of item is being undone
  bool puttingAway_ = false;  // the window minimises itself
  bool ended_ = false;
};

}  // namespace pacetta::ui
