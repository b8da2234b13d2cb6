#include "ui/tray/tray.h"

#include <qpa/qplatformnativeinterface.h>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <cstdio>

#include "app/strings/string_ids.h"
#include "ui/tray/icon_pixmaps.h"
#include "ui/tray/system_tools.h"
#include "ui/tray/tray_commands.h"
#include "ui/window/main_dialog.h"

namespace pacetta::ui {
namespace {

constexpr int32_t kProgramImage = 200;

QSystemTrayIcon::MessageIcon MessageIconOf(BalloonKind kind) {
  switch (kind) {
    case BalloonKind::kWarning:
      return QSystemTrayIcon::Warning;
    case BalloonKind::kError:
      return QSystemTrayIcon::Critical;
    case BalloonKind::kInformation:
      break;
  }
  return QSystemTrayIcon::Information;
}

// The icons that show values, in the order they are added (left of the main icon).
constexpr TrayIconId kValueIcons[] = {TrayIconId::kTemperature, TrayIconId::kLoad,
                                      TrayIconId::kFrequency};

bool SwitchedOn(const TraySettings& tray, TrayIconId id) {
  switch (id) {
    case TrayIconId::kFrequency:
      return tray.showFreqInTray != 0;
    case TrayIconId::kLoad:
      return tray.showLoadInTray != 0;
    case TrayIconId::kTemperature:
      return tray.showTempInTray != 0;
    default:
      return false;
  }
}

// What the battery icon draws of the global power status.
icons::BatteryIconState BatteryPictureOf(const BatteryIconNow& now) {
  const platform::PowerStatus& status = now.status;
  icons::BatteryIconState state;
  const uint8_t flag = status.batteryFlag;
  if (flag == platform::kBatteryUnknown) {
    state.charge = icons::BatteryCharge::kUnknown;
  } else if (flag == platform::kNoSystemBattery) {
    state.charge = icons::BatteryCharge::kAbsent;
  } else {
    state.charging = (flag & platform::kBatteryCharging) != 0;
    state.charge = state.charging                        ? icons::BatteryCharge::kCharging
                   : (flag & platform::kBatteryCritical) ? icons::BatteryCharge::kCritical
                   : (flag & platform::kBatteryLow)      ? icons::BatteryCharge::kLow
                                                         : icons::BatteryCharge::kHigh;
  }
  state.percent = status.batteryPercent == platform::kPercentUnknown ? -1 : status.batteryPercent;
  state.remainingSeconds = status.batteryLifeTime < 0 ? -1 : status.batteryLifeTime;
  state.mode = now.mode;
  state.text = now.textColor;
  return state;
}

}  // namespace

Tray::Tray(DesktopModel& model, MainDialog& window, std::function<void()> exit)
    : model_(model), window_(window), exit_(std::move(exit)) {
  for (Slot_& slot : icons_) slot.icon = std::make_unique<QSystemTrayIcon>();
  menus_ = std::make_unique<TrayMenus>(static_cast<TrayCommandSink&>(*this),
                                       model_.Strings().Get(kStrCurrentProfile));
  Icon(TrayIconId::kMain).setContextMenu(&menus_->Main());
  Icon(TrayIconId::kFrequency).setContextMenu(&menus_->Frequency());
  Icon(TrayIconId::kLoad).setContextMenu(&menus_->Load());
  Icon(TrayIconId::kTemperature).setContextMenu(&menus_->Temperature());
  Icon(TrayIconId::kBattery).setContextMenu(&menus_->Battery());

  connect(&Icon(TrayIconId::kMain), &QSystemTrayIcon::activated, this, &Tray::OnMainActivated);
  for (TrayIconId id : kValueIcons) {
    connect(&Icon(id), &QSystemTrayIcon::activated, this, [this](auto reason) {
      if (reason == QSystemTrayIcon::DoubleClick) Run(kCmdShowMonitoring);
    });
  }
  connect(&Icon(TrayIconId::kBattery), &QSystemTrayIcon::activated, this, [this](auto reason) {
    if (reason == QSystemTrayIcon::DoubleClick) Run(kCmdShowBatteryInfo);
  });
  // The X11 tray host's window changed (it started, ended or was replaced): after Qt has
  // docked its icons again, ours get their pictures back at once.
  if (QObject* native = QGuiApplication::platformNativeInterface();
      native && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0) {
    connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), this, SLOT(OnTrayWindowChanged()),
            Qt::QueuedConnection);
  }
  clickTimer_.setSingleShot(true);
  connect(&clickTimer_, &QTimer::timeout, this, &Tray::OnClickTimer);
}

Tray::~Tray() {
  Remove();
}

void Tray::Show() {
  available_ = QSystemTrayIcon::isSystemTrayAvailable();
  // The pictures of the refresh the start made, before any icon goes on the tray.
  Refresh();
  const TraySettings& tray = model_.Settings().tray;
  for (TrayIconId id : kValueIcons) ShowIcon(id, SwitchedOn(tray, id));
  SetPicture(TrayIconId::kMain, icons::ProgramImage(kProgramImage));
  mainImage_ = kProgramImage;
  Icon(TrayIconId::kMain).show();
}

void Tray::Remove() {
  if (removed_) return;
  removed_ = true;
  clickTimer_.stop();
  for (Slot_& slot : icons_) slot.icon->hide();
}

void Tray::Refresh() {
  if (removed_) return;
  const TrayValues values = model_.TrayNow();
  // One sample per refresh that sampled, however often the views are updated between.
  if (!haveValues_ || values.sampleSerial != last_.sampleSerial) {
    history_.Add(values.means.cpuLoad, values.means.osLoad, model_.Settings().tray.loadIconMode);
  }
  last_ = values;
  haveValues_ = true;
  Draw();
  // Where the desktop does not say when its tray changes, a tray that came back since
  // the last refresh is found here.
  WatchTray();
}

void Tray::WatchTray() {
  if (removed_) return;
  const bool available = QSystemTrayIcon::isSystemTrayAvailable();
  if (available && !available_) Recreate();
  available_ = available;
}

void Tray::Draw() {
  if (!haveValues_) return;
  const TraySettings& tray = model_.Settings().tray;
  const ColorSettings& colors = model_.Settings().colors;
  const icons::LoadColors loadColors{colors.cpuLoadGraph, colors.osLoadGraph};
  SetPicture(
      TrayIconId::kFrequency,
      icons::DrawFrequencyIcon(last_.processor0.clock, last_.processor0.throttle, tray.freqIconMode,
                               tray.freqIconUnits, colors.frequencyIconText));
  SetPicture(TrayIconId::kTemperature,
             icons::DrawTemperatureIcon(last_.means.temperature, tray.tempUnits,
                                        colors.temperatureIconText));
  SetPicture(TrayIconId::kLoad, tray.loadIconType == 1
                                    ? history_.Draw(loadColors, tray.loadIconMode)
                                    : icons::DrawLoadMeter(last_.means.cpuLoad, last_.means.osLoad,
                                                           tray.loadIconMode, loadColors));
  // The main picture changes only with the level or the profile.
  if (last_.mainImage != mainImage_) {
    SetPicture(TrayIconId::kMain, icons::ProgramImage(last_.mainImage));
    mainImage_ = last_.mainImage;
  }
  SetTooltip(TrayIconId::kMain, last_.tooltips.main);
  SetTooltip(TrayIconId::kFrequency, last_.tooltips.frequency);
  SetTooltip(TrayIconId::kLoad, last_.tooltips.load);
  SetTooltip(TrayIconId::kTemperature, last_.tooltips.temperature);
  DrawBattery();
}

void Tray::DrawBattery() {
  const BatteryMonitor* battery = model_.Battery();
  if (!battery) return;
  const BatteryIconNow now = battery->Icon();
  // "Not managed" (no icon while discharging) still takes away an icon shown before the
  // setting changed: nothing would update it any more.
  if (now.decision.action != battery::BatteryIconAction::kShow) {
    batteryShown_ = false;
    ShowIcon(TrayIconId::kBattery, false);
    return;
  }
  SetPicture(TrayIconId::kBattery, icons::DrawBatteryIcon(BatteryPictureOf(now)));
  SetTooltip(TrayIconId::kBattery, now.decision.tooltip);
  batteryShown_ = true;
  ShowIcon(TrayIconId::kBattery, true);
}

void Tray::SetPicture(TrayIconId id, icons::IconImage picture) {
  Slot_& slot = icons_[Slot(id)];
  if (picture == slot.picture) return;
  slot.picture = std::move(picture);
  slot.icon->setIcon(ToQIcon(slot.picture));
}

void Tray::SetTooltip(TrayIconId id, const std::string& tooltip) {
  Slot_& slot = icons_[Slot(id)];
  const QString text = QString::fromStdString(tooltip);
  if (text == slot.tooltip) return;
  slot.tooltip = text;
  slot.icon->setToolTip(text);
}

void Tray::ShowIcon(TrayIconId id, bool shown) {
  if (removed_) return;
  Icon(id).setVisible(shown);
}

void Tray::OnTrayWindowChanged() {
  // A program that was starved or stopped may see the tray host already back when it
  // looks, so the change itself counts, not only an absence seen between. The changes that
  // waited together (the old host's end, the new one's start) are handled once.
  if (trayChangePending_) return;
  trayChangePending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        trayChangePending_ = false;
        if (removed_) return;
        available_ = QSystemTrayIcon::isSystemTrayAvailable();
        if (available_) Recreate();
      },
      Qt::QueuedConnection);
}

void Tray::Recreate() {
  const TraySettings& tray = model_.Settings().tray;
  for (TrayIconId id : kValueIcons) {
    Icon(id).hide();
    ShowIcon(id, SwitchedOn(tray, id));
  }
  Icon(TrayIconId::kBattery).hide();
  ShowIcon(TrayIconId::kBattery, batteryShown_);
  Icon(TrayIconId::kMain).hide();
  const int32_t profileImage = ProfileImage(model_.CurrentProfile());
  SetPicture(TrayIconId::kMain, icons::ProgramImage(profileImage));
  mainImage_ = profileImage;
  Icon(TrayIconId::kMain).show();
  model_.TrayRestored();
}

bool Tray::ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind,
                       std::chrono::milliseconds timeout) {
  if (removed_ || !QSystemTrayIcon::isSystemTrayAvailable() ||
      !QSystemTrayIcon::supportsMessages()) {
    return false;
  }
  Icon(TrayIconId::kMain)
      .showMessage(QString::fromStdString(title), QString::fromStdString(text), MessageIconOf(kind),
                   static_cast<int>(timeout.count()));
  return true;
}

MenuState Tray::StateForMenus() const {
  MenuState state;
  state.tray = model_.Settings().tray;
  state.canControl = model_.Abilities().Any();
  state.temperatureReadable = model_.TemperatureReadable();
  const ProfileStore& profiles = model_.Settings().profiles;
  for (int32_t index = 0; index < profiles.Count(); ++index) {
    state.profiles.push_back(NameOf(*profiles.At(index)));
  }
  state.current = model_.CurrentProfile();
  return state;
}

void Tray::SelectProfile(int32_t index) {
  if (!model_.SelectProfileForSource(index) || !haveValues_) return;
  last_ = model_.TrayNow();
  Draw();
}

void Tray::ChangeTray(const std::function<void(TraySettings&)>& change) {
  TraySettings tray = model_.Settings().tray;
  change(tray);
  model_.SetTraySettings(tray);
  Draw();
}

void Tray::WindowCommand(const std::function<void()>& command) {
  // A page's question on screen is answered first.
  if (!window_.ModalBoxOpen()) command();
}

void Tray::ShowRootPage(int index) {
  WindowCommand([this, index] {
    window_.SelectRootItem(index);
    window_.ShowWindow();
  });
}

void Tray::Run(int32_t command) {
  if (removed_) return;
  if (command >= kCmdFirstProfile && command < kCmdFirstProfile + kMenuProfiles) {
    SelectProfile(command - kCmdFirstProfile);
    return;
  }
  switch (command) {
    case kCmdToggleWindow:
      WindowCommand([this] { window_.ToggleWindow(); });
      break;
    case kCmdLeftClickMenu:
      ChangeTray([](TraySettings& t) { t.leftClickMenu = t.leftClickMenu != 0 ? 0 : 1; });
      break;
    case kCmdShowPerfLevel:
      ChangeTray([](TraySettings& t) { t.showPerfLevel = t.showPerfLevel != 0 ? 0 : 1; });
      // The main picture follows at once: the level, or the profile's picture.
      if (haveValues_) last_ = model_.TrayNow();
      Draw();
      break;
    case kCmdShowFreqIcon:
    case kCmdShowLoadIcon:
    case kCmdShowTempIcon: {
      const TrayIconId id = command == kCmdShowFreqIcon   ? TrayIconId::kFrequency
                            : command == kCmdShowLoadIcon ? TrayIconId::kLoad
                                                          : TrayIconId::kTemperature;
      ChangeTray([id](TraySettings& t) {
        int32_t& shown = id == TrayIconId::kFrequency ? t.showFreqInTray
                         : id == TrayIconId::kLoad    ? t.showLoadInTray
                                                      : t.showTempInTray;
        shown = shown != 0 ? 0 : 1;
      });
      ShowIcon(id, SwitchedOn(model_.Settings().tray, id));
      break;
    }
    case kCmdHideFreqIcon:
      ChangeTray([](TraySettings& t) { t.showFreqInTray = 0; });
      ShowIcon(TrayIconId::kFrequency, false);
      break;
    case kCmdHideLoadIcon:
      ChangeTray([](TraySettings& t) { t.showLoadInTray = 0; });
      ShowIcon(TrayIconId::kLoad, false);
      break;
    case kCmdHideTempIcon:
      ChangeTray([](TraySettings& t) { t.showTempInTray = 0; });
      ShowIcon(TrayIconId::kTemperature, false);
      break;
    case kCmdRestart:
      model_.RequestRestart();
      break;
    case kCmdExit:
      exit_();
      break;
    case kCmdShowMonitoring:
      ShowRootPage(kMonitoringPageIndex);
      break;
    case kCmdShowBatteryInfo:
      ShowRootPage(kBatteryPageIndex);
      break;
    case kCmdTaskManager:
      LaunchSystemMonitor();
      break;
    case kCmdFreqCoreClock:
    case kCmdFreqThrottle:
      ChangeTray([command](TraySettings& t) { t.freqIconMode = command - kCmdFreqCoreClock; });
      break;
    case kCmdLoadCpuOnly:
    case kCmdLoadOsOnly:
    case kCmdLoadBoth:
      ChangeTray([command](TraySettings& t) { t.loadIconMode = command - kCmdLoadCpuOnly; });
      break;
    case kCmdLoadMeter:
    case kCmdLoadGraph:
      ChangeTray([command](TraySettings& t) { t.loadIconType = command - kCmdLoadMeter; });
      break;
    case kCmdUnitsAuto:
    case kCmdUnitsGhz:
      ChangeTray([command](TraySettings& t) { t.freqIconUnits = command - kCmdUnitsAuto; });
      break;
    case kCmdProfileProperties:
      WindowCommand([this] {
        window_.SelectProfileItem(model_.CurrentProfile());
        window_.ShowWindow();
      });
      break;
    case kCmdSystemPowerProperties:
      LaunchPowerSettings();
      break;
    default:
      break;
  }
}

void Tray::OnMainActivated(QSystemTrayIcon::ActivationReason reason) {
  const bool leftClickMenu = model_.Settings().tray.leftClickMenu != 0;
  if (reason == QSystemTrayIcon::Trigger) {
    if (clicks_.OnRelease(leftClickMenu)) clickTimer_.start(QApplication::doubleClickInterval());
  } else if (reason == QSystemTrayIcon::DoubleClick) {
    if (clicks_.OnDoubleClick(leftClickMenu) == MainIconClicks::Action::kToggleWindow) {
      Run(kCmdToggleWindow);
    }
  }
}

void Tray::OnClickTimer() {
  switch (clicks_.OnTimer(model_.Abilities().Any())) {
    case MainIconClicks::Action::kToggleWindow:
      Run(kCmdToggleWindow);
      break;
    case MainIconClicks::Action::kProfileMenu:
      window_.activateWindow();
      menus_->Profiles().popup(QCursor::pos());
      break;
    case MainIconClicks::Action::kNone:
      break;
  }
}

}  // namespace pacetta::ui
