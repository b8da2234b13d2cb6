// The tray on a simulated machine, on Qt's offscreen platform: its commands, what its
// menus show when they open, and the pictures and tooltips it takes from a refresh.
#include "ui/tray/tray.h"

#include <gtest/gtest.h>

#include "tests/ui/machine_model.h"
#include "tests/ui/qt_app.h"
#include "ui/pages/page_catalogue.h"
#include "ui/tray/tray_commands.h"
#include "ui/window/main_dialog.h"

namespace pacetta::ui::testing {
namespace {

struct TrayRig {
  MachineModel model{"k8-x2-laptop"};
  std::vector<PageRegistration> pages = BuiltInPages();
  MainDialog window{model, pages, {[] { return true; }}};
  int exits = 0;
  Tray tray{model, window, [this] { ++exits; }};

  TrayRig() {
    TestApp();
    model.tray.processor0.clock = 1800.0;
    model.tray.processor0.throttle = 0.5;
    model.tray.means.cpuLoad = 50.0;
    model.tray.means.osLoad = 100.0;
    model.tray.means.temperature = 45.0;
    model.tray.mainImage = 202;
    model.tray.tooltips.main = "main tip";
    model.tray.tooltips.frequency = "frequency tip";
  }
};

TEST(Tray, CommandsChangeTheStoredSettingsAndTheIconsOnTheTray) {
  using Field = int32_t TraySettings::*;
  struct Case {
    int32_t command;
    Field field;
    int32_t before, after;
    TrayIconId icon;  // kBattery: no icon changes
    bool shown;
  } cases[] = {
      {kCmdHideFreqIcon, &TraySettings::showFreqInTray, 1, 0, TrayIconId::kFrequency, false},
      {kCmdHideLoadIcon, &TraySettings::showLoadInTray, 1, 0, TrayIconId::kLoad, false},
      {kCmdHideTempIcon, &TraySettings::showTempInTray, 1, 0, TrayIconId::kTemperature, false},
      {kCmdShowTempIcon, &TraySettings::showTempInTray, 0, 1, TrayIconId::kTemperature, true},
      {kCmdShowFreqIcon, &TraySettings::showFreqInTray, 1, 0, TrayIconId::kFrequency, false},
      {kCmdLeftClickMenu, &TraySettings::leftClickMenu, 0, 1, TrayIconId::kBattery, false},
      {kCmdFreqThrottle, &TraySettings::freqIconMode, 0, 1, TrayIconId::kBattery, false},
      {kCmdUnitsAuto, &TraySettings::freqIconUnits, 1, 0, TrayIconId::kBattery, false},
      {kCmdLoadOsOnly, &TraySettings::loadIconMode, 2, 1, TrayIconId::kBattery, false},
      {kCmdLoadGraph, &TraySettings::loadIconType, 0, 1, TrayIconId::kBattery, false},
  };
  for (const Case& c : cases) {
    TrayRig rig;
    rig.model.settings.tray.*c.field = c.before;
    rig.tray.Show();
    rig.tray.Run(c.command);
    EXPECT_EQ(rig.model.settings.tray.*c.field, c.after) << c.command;
    if (c.icon != TrayIconId::kBattery) {
      EXPECT_EQ(rig.tray.Icon(c.icon).isVisible(), c.shown) << c.command;
    }
  }
}

TEST(Tray, TheIconsShowTheRefreshsValuesAndFollowTheirDisplayModesAtOnce) {
  TrayRig rig;
  rig.model.settings.tray.freqIconMode = 0;
  rig.model.settings.tray.freqIconUnits = 0;
  rig.tray.Show();
  EXPECT_EQ(
      rig.tray.Picture(TrayIconId::kFrequency),
      icons::DrawFrequencyIcon(1800.0, 0.5, 0, 0, rig.model.settings.colors.frequencyIconText));
  EXPECT_EQ(rig.tray.Icon(TrayIconId::kFrequency).toolTip(), QString("frequency tip"));
  EXPECT_EQ(rig.tray.Icon(TrayIconId::kMain).toolTip(), QString("main tip"));
  // The main icon starts with the program's picture; the refresh gives the profile's.
  EXPECT_EQ(rig.tray.MainImage(), 200);
  rig.tray.Refresh();
  EXPECT_EQ(rig.tray.MainImage(), 202);

  // "CPU throttle" redraws from the same values: 900 MHz.
  rig.tray.Run(kCmdFreqThrottle);
  EXPECT_EQ(
      rig.tray.Picture(TrayIconId::kFrequency),
      icons::DrawFrequencyIcon(900.0, 1.0, 0, 0, rig.model.settings.colors.frequencyIconText));
  const icons::LoadColors colors{rig.model.settings.colors.cpuLoadGraph,
                                 rig.model.settings.colors.osLoadGraph};
  rig.tray.Run(kCmdLoadCpuOnly);
  EXPECT_EQ(rig.tray.Picture(TrayIconId::kLoad), icons::DrawLoadMeter(50.0, 100.0, 0, colors));

  // The graph takes one sample per refresh that sampled, however often the views update.
  rig.tray.Run(kCmdLoadGraph);
  icons::LoadHistory history;
  for (uint64_t serial : {1u, 1u, 2u, 2u, 3u}) {
    rig.model.tray.sampleSerial = serial;
    rig.tray.Refresh();
  }
  history.Add(50.0, 100.0, 2);  // Show's refresh, serial 0, in the mode of then
  for (int i = 0; i < 3; ++i) history.Add(50.0, 100.0, 0);
  EXPECT_EQ(rig.tray.Picture(TrayIconId::kLoad), history.Draw(colors, 0));
}

TEST(Tray, MenusShowTheStateTheyOpenWith) {
  TrayRig rig;
  rig.model.settings.tray.showPerfLevel = 1;
  rig.model.settings.tray.showTempInTray = 0;
  rig.model.settings.tray.loadIconMode = 1;
  rig.model.settings.currentProfileAc = 2;
  rig.model.temperatureReadable = false;
  rig.tray.Show();
  QMenu& main = rig.tray.Menus().Main();
  emit main.aboutToShow();
  EXPECT_EQ(main.defaultAction(), TrayMenus::Find(main, kCmdToggleWindow));
  EXPECT_TRUE(TrayMenus::Find(main, kCmdShowPerfLevel)->isChecked());
  EXPECT_FALSE(TrayMenus::Find(main, kCmdShowTempIcon)->isChecked());
  EXPECT_FALSE(TrayMenus::Find(main, kCmdShowTempIcon)->isEnabled());
  EXPECT_EQ(TrayMenus::Find(main, kCmdRestart)->text(), QString("Restart  Tarvello"));
  // One radio item per profile, the current one checked; picking one selects it.
  QAction* maximal = TrayMenus::Find(main, kCmdFirstProfile + 2);
  ASSERT_NE(maximal, nullptr);
  EXPECT_EQ(maximal->text(), QString("Maximal performance"));
  EXPECT_TRUE(maximal->isChecked());
  TrayMenus::Find(main, kCmdFirstProfile + 1)->trigger();
  EXPECT_EQ(rig.model.settings.currentProfileAc, 1);

  QMenu& load = rig.tray.Menus().Load();
  emit load.aboutToShow();
  EXPECT_TRUE(TrayMenus::Find(load, kCmdLoadOsOnly)->isChecked());
  EXPECT_FALSE(TrayMenus::Find(load, kCmdLoadBoth)->isChecked());
  EXPECT_EQ(TrayMenus::Find(load, kCmdLoadBoth)->text(), QString("Both CPU && OS load"));

  // "Exit Tarvello" ends the program; a tray taken off the desktop runs nothing more.
  rig.tray.Run(kCmdExit);
  EXPECT_EQ(rig.exits, 1);
  rig.tray.Remove();
  rig.tray.Run(kCmdExit);
  EXPECT_EQ(rig.exits, 1);
}

TEST(Tray, SwitchingThePerformanceLevelOffShowsTheProfilesPictureAtOnce) {
  TrayRig rig;
  rig.model.settings.tray.showPerfLevel = 1;
  rig.model.settings.currentProfileAc = 3;
  rig.model.tray.mainImage = 210;  // a level of "Performance on demand"
  rig.tray.Show();
  rig.tray.Refresh();
  ASSERT_EQ(rig.tray.MainImage(), 210);
  rig.model.tray.mainImage = 204;  // what the model gives without the level
  rig.tray.Run(kCmdShowPerfLevel);
  EXPECT_EQ(rig.model.settings.tray.showPerfLevel, 0);
  EXPECT_EQ(rig.tray.MainImage(), 204);
  EXPECT_EQ(rig.tray.Picture(TrayIconId::kMain), icons::ProgramImage(204));
}

}  // namespace
}  // namespace pacetta::ui::testing
