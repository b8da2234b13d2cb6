#pragma once
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/desktop/desktop_model.h"

namespace pacetta::ui {

// What a page asks of the main window it lives in.
class PageHost {
 public:
  virtual ~PageHost() = default;
  // A Yes/No question box, titled `captionId` (10100 "Confirm" unless a page says
  // otherwise); the window notes that a modal box is open meanwhile, so that tray
  // commands do not act under it. True for "Yes". Once the program ends, the box on
  // screen closes and no new one opens: the answer is then "No".
  virtual bool AskYesNo(uint32_t textId, uint32_t captionId) = 0;
  // A message box with one OK button (errors, warnings), also noted as modal.
  virtual void Tell(uint32_t textId, uint32_t captionId, bool warning) = 0;
  // The profiles were added, renamed or deleted: the tree's profile items follow. The
  // selected profile keeps its item where it still exists; a deleted one leaves the
  // "Profiles" item selected.
  virtual void ProfilesChanged() = 0;
  // Selects a root item (the page table's index) or a profile's item, as a click on it
  // would (the page shown now is asked whether it may be left).
  virtual void SelectRootItem(int index) = 0;
  virtual void SelectProfileItem(int32_t profile) = 0;
};

struct PageContext {
  DesktopModel& model;
  PageHost& host;
};

// One page of the main window: created once with the window and kept; shown in the
// placeholder when its tree item is selected. A page edits its own copy of what it shows
// until "Apply". The window gives every page the placeholder's size (245 x 290 dialog
// units, see ui/window/dialog_units.h); a page lays itself out within it.
//
// The model lives until the program's orderly end: after StoreState nothing reaches a
// page any more, and a page must not touch the model in its destructor.
class Page : public QWidget {
 public:
  explicit Page(PageContext context, QWidget* parent = nullptr)
      : QWidget(parent), context_(context) {}

  // Reloaded from the engine's data whenever it is shown (the Profile page gets
  // LoadProfile instead), and after the window was hidden with the page's agreement, so
  // that edits the user chose not to apply are gone.
  virtual void Reload() {}
  // The window's private requests: apply without asking, refresh the shown values (after
  // every refresh of the program, only while the page is shown).
  virtual void ApplyWithoutAsking() {}
  virtual void RefreshShownValues() {}
  // The page is being left (another item selected, the window closed or minimised): a
  // page holding changes asks whether to apply them (10102, 10103). False keeps the page
  // (and the window) as it is.
  virtual bool AgreeToLeave() { return true; }
  // The Profile page only: the profile whose item was selected, loaded fresh.
  virtual void LoadProfile(int32_t /*index*/) {}
  // The battery device page only: device `index` of the monitor's list, whose item was
  // selected.
  virtual void LoadDevice(size_t /*index*/) {}
  // The orderly end, before the settings are saved: a page with state of its own hands
  // it to the model now.
  virtual void StoreState() {}

 protected:
  DesktopModel& Model() { return context_.model; }
  PageHost& Host() { return context_.host; }

 private:
  PageContext context_;
};

// One kind of page, registered once in ui/pages/page_catalogue.cpp.
struct PageRegistration {
  // Root items: the position in the tree's root list (0 About, 1 Settings, 2 CPU info,
  // 3 Monitoring, 4 Management, 5 Profiles, 6 Battery info, 7 advanced, 8 Updates,
  // 9 Professional features); optional items take the next free index in this order.
  // kProfilePage: the one page shared by every profile item under "Profiles".
  int order = 0;
  uint32_t textId = 0;  // the tree item's text
  // Whether the page exists on this system; empty: always.
  std::function<bool(const DesktopModel&)> present;
  std::function<std::unique_ptr<Page>(PageContext)> create;
};
inline constexpr int kProfilePage = -1;
// The one page shared by every battery device item under "Battery info".
inline constexpr int kBatteryDevicePage = -2;

}  // namespace pacetta::ui
