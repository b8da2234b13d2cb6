#pragma once
#include <QActionGroup>
#include <QMenu>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/settings/app_settings.h"

namespace pacetta::ui {

// What the menus show when they open.
struct MenuState {
  TraySettings tray;
  bool canControl = false;  // performance states or throttling
  bool temperatureReadable = false;
  std::vector<std::string> profiles;  // names, by index
  int32_t current = 0;
};

// Who carries out the menus' commands.
class TrayCommandSink {
 public:
  virtual ~TrayCommandSink() = default;
  virtual void Run(int32_t command) = 0;
  virtual void SelectProfile(int32_t index) = 0;
  virtual MenuState StateForMenus() const = 0;
};

// The tray's menus. Their checks, radio marks, enabled items and profile items are set
// from the sink's state each time one opens; the first item of each is the default.
class TrayMenus {
 public:
  // `currentProfileText`: the main menu's profile submenu ("Current profile").
  TrayMenus(TrayCommandSink& sink, const std::string& currentProfileText);
  ~TrayMenus();

  QMenu& Main() { return *main_; }
  QMenu& Frequency() { return *frequency_; }
  QMenu& Load() { return *load_; }
  QMenu& Temperature() { return *temperature_; }
  QMenu& Battery() { return *battery_; }
  // The profile menu of a single left click.
  QMenu& Profiles() { return *profiles_; }

  // The action of `command` in `menu` (or its submenus); null when it has none.
  static QAction* Find(QMenu& menu, int32_t command);

 private:
  QAction* Add(QMenu& menu, int32_t command, bool checkable = false);
  QMenu* Display(QMenu& menu, std::initializer_list<std::initializer_list<int32_t>> groups);
  void Update();
  void FillProfiles(QMenu& menu, std::unique_ptr<QActionGroup>& radio, const MenuState& state);

  TrayCommandSink& sink_;
  std::unique_ptr<QMenu> main_;
  std::unique_ptr<QMenu> frequency_;
  std::unique_ptr<QMenu> load_;
  std::unique_ptr<QMenu> temperature_;
  std::unique_ptr<QMenu> battery_;
  std::unique_ptr<QMenu> profiles_;
  QMenu* currentProfile_ = nullptr;  // the main menu's submenu
  // The radio groups of the two profile lists, made anew with their items.
  std::unique_ptr<QActionGroup> currentProfileRadio_;
  std::unique_ptr<QActionGroup> profilesRadio_;
};

}  // namespace pacetta::ui
