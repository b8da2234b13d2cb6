// The battery monitor on the desktop, on Qt's offscreen platform: the tray's battery
// icon by the global power status and the settings, and the window's device items.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <memory>

#include "platform/sim/power/sim_power.h"
#include "tests/ui/machine_model.h"
#include "tests/ui/qt_app.h"
#include "ui/pages/page_catalogue.h"
#include "ui/tray/tray.h"
#include "ui/tray/tray_commands.h"
#include "ui/window/main_dialog.h"
#include "ui/window/page_tree.h"

namespace pacetta::ui::testing {
namespace {

using namespace std::chrono_literals;

// The global power status as a test sets it.
class FakePower final : public platform::Power {
 public:
  std::optional<platform::PowerStatus> Status() override { return status; }
  std::unique_ptr<platform::PowerSubscription> Subscribe(platform::PowerListener&) override {
    return std::make_unique<platform::PowerSubscription>();
  }
  platform::PowerStatus status;
};

// The window and tray over a monitor of the test's power status and the simulated
// machine's batteries (one to start with).
struct BatteryDesktopRig {
  BatteryDesktopRig() {
    TestApp();
    model.battery = &monitor;
    monitor.Rebuild();
    window = std::make_unique<MainDialog>(model, pages, WindowOptions{[] { return true; }});
    tray = std::make_unique<Tray>(model, *window, [] {});
  }
  // The monitor reads `status` at an update, and the views follow.
  void Update(const platform::PowerStatus& status) {
    power.status = status;
    monitor.Configure();
    monitor.Tick();
    tray->Refresh();
    window->RefreshShownPage();
  }

  FakePower power;
  sim::SimPower batteries;
  MachineModel model{"core2-duo-laptop"};
  BatteryMonitor monitor{power, batteries, model.Strings(), model.settings};
  std::vector<PageRegistration> pages = BuiltInPages();
  std::unique_ptr<MainDialog> window;
  std::unique_ptr<Tray> tray;
};

platform::PowerStatus StatusOf(uint8_t ac, uint8_t percent, bool charging) {
  return {ac, platform::BatteryFlagForCharge(percent, charging), percent, ac ? -1 : 3600, -1};
}

// Shown on battery and while charging, gone on AC power once the battery takes no
// charge (unless wanted there too), gone without charging icons, and taken away when
// the icon is not to be managed at all; the tooltip and picture follow the status.
TEST(BatteryTray, TheIconFollowsTheStatusAndTheRules) {
  struct Case {
    const char* what;
    platform::PowerStatus status;
    int32_t discharging, charging, onAc;
    bool shown;
    const char* tooltip;
  } cases[] = {
      {"on battery", StatusOf(0, 80, false), 1, 1, 0, true,
       "Power source: Battery\nPower remaining: High (80%)"},
      {"full on AC", StatusOf(1, 100, false), 1, 1, 0, false, nullptr},
      {"charging on AC", StatusOf(1, 50, true), 1, 1, 0, true,
       "Power source: AC power\nPower remaining: Medium, Charging (50%)"},
      {"full on AC, wanted there", StatusOf(1, 100, false), 1, 1, 1, true,
       "Power source: AC power\nPower remaining: High (100%)"},
      {"charging, no charging icon", StatusOf(1, 50, true), 1, 0, 1, false, nullptr},
      {"on battery again", StatusOf(0, 4, false), 1, 1, 0, true,
       "Power source: Battery\nPower remaining: Low, Critical (4%)"},
      {"not managed", StatusOf(0, 4, false), 0, 1, 0, false, nullptr},
  };
  BatteryDesktopRig rig;
  rig.tray->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rig.model.settings.tray.showBatteryDischarging = c.discharging;
    rig.model.settings.tray.showBatteryCharging = c.charging;
    rig.model.settings.tray.showBatteryOnAc = c.onAc;
    rig.Update(c.status);
    QSystemTrayIcon& icon = rig.tray->Icon(TrayIconId::kBattery);
    EXPECT_EQ(icon.isVisible(), c.shown);
    if (c.tooltip) {
      EXPECT_EQ(icon.toolTip().toStdString(), c.tooltip);
    }
  }
  // The last icon shown: critical on battery, one segment short of empty, the time left.
  icons::BatteryIconState critical;
  critical.charge = icons::BatteryCharge::kCritical;
  critical.percent = 4;
  critical.remainingSeconds = 3600;
  critical.text = rig.model.settings.colors.batteryIconText;
  EXPECT_EQ(rig.tray->Picture(TrayIconId::kBattery), icons::DrawBatteryIcon(critical));
}

// "Show Battery info page" selects the Battery info item; its device items carry the
// devices' names, show the shared device page, and follow a new list, which leaves
// "Battery info" selected when a device item was.
TEST(BatteryTray, TheWindowShowsTheInfoPageAndFollowsTheDeviceList) {
  BatteryDesktopRig rig;
  rig.tray->Show();
  rig.tray->Run(kCmdShowBatteryInfo);
  EXPECT_EQ(rig.window->CaptionText().toStdString(), "Battery info");
  ASSERT_NE(rig.window->ShownPage(), nullptr);
  EXPECT_EQ(rig.window->ShownPage()->objectName(), "BatteryInfoPage");

  QTreeWidgetItem* info = rig.window->Tree().currentItem();
  ASSERT_EQ(info->childCount(), 1);
  EXPECT_EQ(info->child(0)->text(0).toStdString(), "Battery device: Simulated battery 0");
  rig.window->Tree().setCurrentItem(info->child(0));
  EXPECT_EQ(rig.window->CaptionText().toStdString(), "Battery device: Simulated battery 0");
  EXPECT_EQ(rig.window->ShownPage()->objectName(), "BatteryDevicePage");
  EXPECT_EQ(rig.window->State().activePage, kBatteryInfoIndex);

  ASSERT_TRUE(rig.batteries.InsertBattery());
  rig.monitor.Rebuild();
  rig.Update(StatusOf(1, 100, false));
  EXPECT_EQ(rig.window->Tree().currentItem(), info);
  EXPECT_EQ(rig.window->ShownPage()->objectName(), "BatteryInfoPage");
  ASSERT_EQ(info->childCount(), 2);
  EXPECT_EQ(info->child(1)->text(0).toStdString(), "Battery device: Simulated battery 1");
}

}  // namespace
}  // namespace pacetta::ui::testing
