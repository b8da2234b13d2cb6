#pragma once
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/desktop/desktop_model.h"
#include "app/desktop/main_icon_clicks.h"
#include "app/lifecycle/front_end.h"
#include "ui/icons/tray_icons.h"
#include "ui/tray/tray_menus.h"

namespace pacetta::ui {

class MainDialog;

// The tray icons by their numbers towards the desktop.
enum class TrayIconId : int32_t {
  kMain = 300,
  kFrequency = 301,
  kLoad = 302,
  kTemperature = 303,
  kBattery = 304
};

// The program's icons in the desktop's tray: the main icon with the profile's picture or
// the performance level, and the frequency, load and temperature icons drawn from each
// refresh's values; their tooltips, menus and double clicks, and the balloons. When the
// tray comes back (its host restarted), every icon is added again with its last picture.
class Tray final : public QObject, private TrayCommandSink {
  Q_OBJECT
 public:
  // `exit`: ends the program in order ("Exit Tarvello").
  Tray(DesktopModel& model, MainDialog& window, std::function<void()> exit);
  ~Tray() override;

  // Adds the icons switched on, then the main icon with the program's picture (the end
  // of the window's start).
  void Show();
  // After every refresh: new pictures and tooltips; a tray that came back gets its
  // icons again and the "restored" balloon.
  void Refresh();
  // A balloon from the main icon; false when there is no tray to show it.
  bool ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind,
                   std::chrono::milliseconds timeout);
  // Takes the icons off the tray (the orderly end).
  void Remove();

  // What is on the tray now, for tools and tests.
  QSystemTrayIcon& Icon(TrayIconId id) { return *icons_[Slot(id)].icon; }
  const icons::IconImage& Picture(TrayIconId id) const { return icons_[Slot(id)].picture; }
  TrayMenus& Menus() { return *menus_; }
  // A menu command, as a click on its item runs it.
  void Run(int32_t command) override;
  // The main icon's activation, as the desktop reports it.
  void OnMainActivated(QSystemTrayIcon::ActivationReason reason);
  int32_t MainImage() const { return mainImage_; }

 private slots:
  void OnTrayWindowChanged();

 private:
  struct Slot_ {
    std::unique_ptr<QSystemTrayIcon> icon;
    icons::IconImage picture;
    QString tooltip;
  };
  static size_t Slot(TrayIconId id) { return static_cast<size_t>(id) - 300; }

  // TrayCommandSink.
  MenuState StateForMenus() const override;
  void SelectProfile(int32_t index) override;

  void Draw();
  // The battery icon by the battery monitor's rule: shown with its picture and tooltip,
  // or taken off the tray.
  void DrawBattery();
  void SetPicture(TrayIconId id, icons::IconImage picture);
  void SetTooltip(TrayIconId id, const std::string& tooltip);
  void ShowIcon(TrayIconId id, bool shown);
  void ChangeTray(const std::function<void(TraySettings&)>& change);
  void WindowCommand(const std::function<void()>& command);
  void ShowRootPage(int index);
  void OnClickTimer();
  void WatchTray();
  void Recreate();

  DesktopModel& model_;
  MainDialog& window_;
  std::function<void()> exit_;
  std::array<Slot_, 5> icons_;
  std::unique_ptr<TrayMenus> menus_;
  icons::LoadHistory history_;
  TrayValues last_;
  bool haveValues_ = false;
  int32_t mainImage_ = 0;
  bool batteryShown_ = false;
  bool available_ = false;
  bool trayChangePending_ = false;
  bool removed_ = false;
  MainIconClicks clicks_;
  QTimer clickTimer_;
};

}  // namespace pacetta::ui
