#include "ui/tray/tray_menus.h"

#include <QActionGroup>
#include <algorithm>

#include "app/strings/string_ids.h"
#include "ui/tray/tray_commands.h"

namespace pacetta::ui {
namespace {

void SetChecked(QMenu& menu, int32_t command, bool checked) {
  if (QAction* action = TrayMenus::Find(menu, command)) action->setChecked(checked);
}

void SetEnabled(QMenu& menu, int32_t command, bool enabled) {
  if (QAction* action = TrayMenus::Find(menu, command)) action->setEnabled(enabled);
}

}  // namespace

TrayMenus::TrayMenus(TrayCommandSink& sink, const std::string& currentProfileText)
    : sink_(sink),
      main_(std::make_unique<QMenu>()),
      frequency_(std::make_unique<QMenu>()),
      load_(std::make_unique<QMenu>()),
      temperature_(std::make_unique<QMenu>()),
      battery_(std::make_unique<QMenu>()),
      profiles_(std::make_unique<QMenu>()) {
  QMenu& main = *main_;
  main.setDefaultAction(Add(main, kCmdToggleWindow));
  currentProfile_ = main.addMenu(QString::fromStdString(currentProfileText));
  Add(main, kCmdLeftClickMenu, true);
  main.addSeparator();
  for (int32_t command : {kCmdShowPerfLevel, kCmdShowFreqIcon, kCmdShowLoadIcon, kCmdShowTempIcon})
    Add(main, command, true);
  main.addSeparator();
  Add(main, kCmdRestart);
  Add(main, kCmdExit);

  frequency_->setDefaultAction(Add(*frequency_, kCmdShowMonitoring));
  frequency_->addSeparator();
  Display(*frequency_, {{kCmdFreqCoreClock, kCmdFreqThrottle}, {kCmdUnitsAuto, kCmdUnitsGhz}});
  Add(*frequency_, kCmdHideFreqIcon);

  load_->setDefaultAction(Add(*load_, kCmdShowMonitoring));
  Add(*load_, kCmdTaskManager);
  load_->addSeparator();
  Display(*load_,
          {{kCmdLoadMeter, kCmdLoadGraph}, {kCmdLoadCpuOnly, kCmdLoadOsOnly, kCmdLoadBoth}});
  Add(*load_, kCmdHideLoadIcon);

  temperature_->setDefaultAction(Add(*temperature_, kCmdShowMonitoring));
  temperature_->addSeparator();
  Add(*temperature_, kCmdHideTempIcon);

  battery_->setDefaultAction(Add(*battery_, kCmdShowBatteryInfo));
  battery_->addSeparator();
  Add(*battery_, kCmdProfileProperties);
  Add(*battery_, kCmdSystemPowerProperties);

  for (QMenu* menu : {main_.get(), frequency_.get(), load_.get(), temperature_.get()}) {
    QObject::connect(menu, &QMenu::aboutToShow, [this] { Update(); });
  }
  QObject::connect(profiles_.get(), &QMenu::aboutToShow,
                   [this] { FillProfiles(*profiles_, profilesRadio_, sink_.StateForMenus()); });
}

TrayMenus::~TrayMenus() = default;

QAction* TrayMenus::Add(QMenu& menu, int32_t command, bool checkable) {
  QAction* action = menu.addAction(QString::fromUtf8(TrayCommandText(command)));
  action->setData(command);
  action->setCheckable(checkable);
  QObject::connect(action, &QAction::triggered, [this, command] { sink_.Run(command); });
  return action;
}

QMenu* TrayMenus::Display(QMenu& menu,
                          std::initializer_list<std::initializer_list<int32_t>> groups) {
  QMenu* display = menu.addMenu(QStringLiteral("Display"));
  bool first = true;
  for (const auto& group : groups) {
    if (!first) display->addSeparator();
    first = false;
    auto* radio = new QActionGroup(display);  // owned by the submenu
    for (int32_t command : group) radio->addAction(Add(*display, command, true));
  }
  return display;
}

QAction* TrayMenus::Find(QMenu& menu, int32_t command) {
  for (QAction* action : menu.actions()) {
    if (action->menu()) {
      if (QAction* inner = Find(*action->menu(), command)) return inner;
    } else if (action->data().isValid() && action->data().toInt() == command) {
      return action;
    }
  }
  return nullptr;
}

void TrayMenus::Update() {
  const MenuState state = sink_.StateForMenus();
  const TraySettings& tray = state.tray;
  SetChecked(*main_, kCmdLeftClickMenu, tray.leftClickMenu != 0);
  SetChecked(*main_, kCmdShowPerfLevel, tray.showPerfLevel != 0);
  SetChecked(*main_, kCmdShowFreqIcon, tray.showFreqInTray != 0);
  SetChecked(*main_, kCmdShowLoadIcon, tray.showLoadInTray != 0);
  SetChecked(*main_, kCmdShowTempIcon, tray.showTempInTray != 0);
  SetEnabled(*main_, kCmdShowTempIcon, state.temperatureReadable);
  SetEnabled(*main_, kCmdLeftClickMenu, state.canControl);
  currentProfile_->setEnabled(state.canControl);
  FillProfiles(*currentProfile_, currentProfileRadio_, state);

  SetChecked(*frequency_, tray.freqIconMode == 1 ? kCmdFreqThrottle : kCmdFreqCoreClock, true);
  SetChecked(*frequency_, tray.freqIconUnits == 1 ? kCmdUnitsGhz : kCmdUnitsAuto, true);
  SetChecked(*load_, tray.loadIconType == 1 ? kCmdLoadGraph : kCmdLoadMeter, true);
  SetChecked(*load_, kCmdLoadCpuOnly + std::clamp(tray.loadIconMode, 0, 2), true);
}

void TrayMenus::FillProfiles(QMenu& menu, std::unique_ptr<QActionGroup>& radio,
                             const MenuState& state) {
  radio = std::make_unique<QActionGroup>(nullptr);
  menu.clear();
  const int32_t count =
      std::min<int32_t>(static_cast<int32_t>(state.profiles.size()), kMenuProfiles);
  for (int32_t index = 0; index < count; ++index) {
    QAction* action = menu.addAction(QString::fromStdString(state.profiles[size_t(index)]));
    action->setData(kCmdFirstProfile + index);
    action->setCheckable(true);
    action->setChecked(index == state.current);
    radio->addAction(action);
    QObject::connect(action, &QAction::triggered, [this, index] { sink_.SelectProfile(index); });
  }
}

}  // namespace pacetta::ui
