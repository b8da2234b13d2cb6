// The Settings page on the running program of a simulated laptop: what its "Apply" and
// "Defaults" leave for the save, the log restarted with the new items, the balloons and
// start at logon as the program carries them out.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "platform/memory_registry.h"
#include "platform/sim/autostart/recording_autostart.h"
#include "tests/app/program_rig.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/settings/settings_page.h"

namespace pacetta::ui {
namespace {

using pacetta::testing::ProgramRig;
using platform::AutostartWay;
using testing::RecordingHost;

template <typename T>
T& Find(QWidget& page, const QString& name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error("no control " + name.toStdString());
  return *control;
}

void Click(QWidget& page, const char* name) {
  Find<QAbstractButton>(page, name).click();
}

void SetInterval(QWidget& page, int days, int hours, int minutes) {
  Find<QSpinBox>(page, "LogDays").setValue(days);
  Find<QSpinBox>(page, "LogHours").setValue(hours);
  Find<QSpinBox>(page, "LogMinutes").setValue(minutes);
}

// What the save would write now for `names`.
std::map<std::string, uint32_t> WouldStore(const RunningProgram& program,
                                           const std::map<std::string, uint32_t>& names) {
  AppSettings settings = program.Settings();
  platform::MemoryRegistry registry;
  settings.Save(registry, {program.Processors().front(), true});
  const platform::RegistryValues values = registry.Snapshot().at(kSettingsKeyPath);
  std::map<std::string, uint32_t> stored;
  for (const auto& [name, expected] : names) {
    const auto value = values.find(name);
    if (value != values.end()) stored[name] = std::get<uint32_t>(value->second);
  }
  return stored;
}

sim::RecordingAutostart& StartAtLogon(ProgramRig& rig) {
  return dynamic_cast<sim::RecordingAutostart&>(rig.Pc().View().autostart);
}

std::string Read(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool IsMark(const std::string& line) {
  return line.rfind("--Log", 0) == 0;
}

TEST(SettingsOnTheProgram, ApplyAndDefaultsReachTheSavedSettings) {
  testing::TestApp();
  ProgramRig rig("k8-x2-laptop");
  ASSERT_TRUE(rig.Start());
  RunningProgram& program = rig.Program();
  RecordingHost host;
  std::optional<uint32_t> chosenColor;
  SettingsPage page({program, host}, [&](uint32_t) { return chosenColor; });

  struct Row {
    const char* what;
    std::function<void()> edit;
    std::map<std::string, uint32_t> saved;
  };
  const uint32_t freshLanguage = static_cast<uint32_t>(WindowSettings{}.resourceLocaleId);
  const Row rows[] = {
      {"CPU clock and VID not logged",
       [&] {
         Click(page, "LogItem0");
         Click(page, "LogItem3");
       },
       {{"LoggingFlags", 9}}},
      {"the log interval in days, hours and minutes",
       [&] { SetInterval(page, 1, 1, 1); },
       {{"MaxLoggingPeriod", 90060}}},
      // A log restarted at every refresh is no log: a minute at least.
      {"no log interval", [&] { SetInterval(page, 0, 0, 0); }, {{"MaxLoggingPeriod", 60}}},
      {"Fahrenheit", [&] { Click(page, "Fahrenheit"); }, {{"TempUnits", 1}}},
      {"information balloons",
       [&] { Click(page, "ShowInfoBalloons"); },
       {{"ShowInfoBalloons", 1}, {"ShowCriticalBalloons", 1}}},
      {"no critical balloons",
       [&] { Click(page, "ShowCriticalBalloons"); },
       {{"ShowInfoBalloons", 0}, {"ShowCriticalBalloons", 0}}},
      {"the window's options",
       [&] {
         Click(page, "AlwaysOnTop");
         Click(page, "TaskbarButton");
         Click(page, "RunMinimized");
       },
       {{"AlwaysOnTop", 1}, {"TaskbarButton", 0}, {"RunMinimized", 1}}},
      {"started at logon as a session service",
       [&] {
         Click(page, "AutoRun");
         Find<QComboBox>(page, "AutoRunWay").setCurrentIndex(1);
       },
       {{"AutoRun", 2}}},
      {"started at logon by the autostart entry",
       [&] { Find<QComboBox>(page, "AutoRunWay").setCurrentIndex(0); },
       {{"AutoRun", 1}}},
      {"a colour chosen",
       [&] {
         Find<QComboBox>(page, "ColorName").setCurrentIndex(4);
         chosenColor = 0x123456;
         Click(page, "ChangeColor");
       },
       {{"Colors.CPULoadGraph", 0x123456}, {"Colors.GraphBackground", 0}}},
      {"the system's language",
       [&] { Find<QComboBox>(page, "Language").setCurrentIndex(2); },
       {{"ResourceLocaleId", 2048}}},
      {"logging on", [&] { Click(page, "EnableLogging"); }, {{"EnableLogging", 1}}},
      {"Defaults",
       [&] { Click(page, "Defaults"); },
       {{"LoggingFlags", 0},
        {"MaxLoggingPeriod", 86400},
        {"TempUnits", 0},
        {"ShowInfoBalloons", 0},
        {"ShowCriticalBalloons", 1},
        {"AlwaysOnTop", 0},
        {"TaskbarButton", 1},
        {"RunMinimized", 0},
        {"AutoRun", 0},
        {"Colors.CPULoadGraph", 0x00FF00},
        {"ResourceLocaleId", freshLanguage},
        {"EnableLogging", 0}}},
  };
  auto& apply = Find<QPushButton>(page, "Apply");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    row.edit();
    // "Defaults" only loads the values: the settings stay until "Apply".
    EXPECT_NE(WouldStore(program, row.saved), row.saved);
    ASSERT_TRUE(apply.isEnabled());
    apply.click();
    EXPECT_FALSE(apply.isEnabled());
    EXPECT_EQ(WouldStore(program, row.saved), row.saved);
  }
  // Each change of language ("Defaults" brings a fresh start's back) asked for the
  // restart that shows it; nothing else did.
  EXPECT_EQ(host.questions.size(), 2u);

  ASSERT_TRUE(rig.Close());
  for (const auto& [name, value] : rows[std::size(rows) - 1].saved) {
    EXPECT_EQ(rig.Stored(name), value) << name;
  }
  EXPECT_EQ(StartAtLogon(rig).Installed(), AutostartWay::kOff);
}

TEST(SettingsOnTheProgram, ApplyStopsAndStartsTheLogWithItsNewItems) {
  testing::TestApp();
  ProgramRig rig("k8-x2-laptop");
  rig.Store("EnableLogging", 1);
  ASSERT_TRUE(rig.Start());
  RunningProgram& program = rig.Program();
  RecordingHost host;
  SettingsPage page({program, host});
  const std::string log = rig.Folder() + "/Pacetta.log";
  // Refreshes until the log's lines after its last start line hold a sample.
  const auto sampledSinceStart = [&] {
    return ProgramRig::WaitFor([&] {
      program.OnRefreshTimer();
      const std::vector<std::string> lines = Lines(Read(log));
      return !lines.empty() && !IsMark(lines.back());
    });
  };
  ASSERT_TRUE(sampledSinceStart());
  EXPECT_NE(Lines(Read(log)).back().find(", Clock: "), std::string::npos);

  Click(page, "LogItem0");  // the clock is not logged
  Click(page, "Apply");
  std::vector<std::string> lines = Lines(Read(log));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 2].rfind("--Log stopped ", 0), 0u) << lines[lines.size() - 2];
  EXPECT_EQ(lines.back().rfind("--Log started ", 0), 0u) << lines.back();
  ASSERT_TRUE(sampledSinceStart());
  lines = Lines(Read(log));
  EXPECT_EQ(lines.back().find("Clock: "), std::string::npos) << lines.back();
  EXPECT_NE(lines.back().find(", FID: "), std::string::npos) << lines.back();

  // Logging off: the log stops and stays as it is.
  Click(page, "EnableLogging");
  Click(page, "Apply");
  const std::string stopped = Read(log);
  EXPECT_EQ(Lines(stopped).back().rfind("--Log stopped ", 0), 0u);
  const uint64_t serial = program.TrayNow().sampleSerial;
  ASSERT_TRUE(ProgramRig::WaitFor([&] {
    program.OnRefreshTimer();
    return program.TrayNow().sampleSerial > serial;
  }));
  EXPECT_EQ(Read(log), stopped);
}

TEST(SettingsOnTheProgram, InformationBalloonsSwitchedOnTellOfThePowerSource) {
  testing::TestApp();
  ProgramRig rig("k8-x2-laptop");
  ASSERT_TRUE(rig.Start());
  RecordingHost host;
  SettingsPage page({rig.Program(), host});
  Click(page, "ShowInfoBalloons");
  Click(page, "Apply");
  ASSERT_TRUE(rig.Pc().UnplugAc());
  rig.Pc().PowerSupply().WaitDelivered(std::chrono::seconds(30));
  rig.Window().ProcessPending();
  EXPECT_NE(rig.Output().find("Tarvello Power source changed"), std::string::npos) << rig.Output();
}

TEST(SettingsOnTheProgram, AStoredWayOfStartingAtLogonIsShownAndSwitchedAtTheSave) {
  testing::TestApp();
  ProgramRig rig("k8-x2-laptop");
  sim::RecordingAutostart& startAtLogon = StartAtLogon(rig);
  startAtLogon.Set(AutostartWay::kSessionService, {"/elsewhere/pacetta", "Tarvello"});
  rig.Store("AutoRun", 2);
  ASSERT_TRUE(rig.Start());
  RecordingHost host;
  SettingsPage page({rig.Program(), host});
  EXPECT_TRUE(Find<QCheckBox>(page, "AutoRun").isChecked());
  EXPECT_EQ(Find<QComboBox>(page, "AutoRunWay").currentIndex(), 1);

  Find<QComboBox>(page, "AutoRunWay").setCurrentIndex(0);
  Click(page, "Apply");
  // The entries change when the settings are saved.
  EXPECT_EQ(startAtLogon.Installed(), AutostartWay::kSessionService);
  const std::string program = rig.Pc().View().system.ProgramPath();
  ASSERT_TRUE(rig.Close());
  EXPECT_EQ(startAtLogon.Installed(), AutostartWay::kLoginEntry);
  EXPECT_EQ(startAtLogon.Program().path, program);
  EXPECT_EQ(startAtLogon.Program().description, "Tarvello");
  EXPECT_EQ(rig.Stored("AutoRun"), 1u);
}

TEST(SettingsOnTheProgram, AnEntrySwitchedOffInTheDesktopStaysOffUnlessChosenAgain) {
  testing::TestApp();
  struct Case {
    const char* what;
    bool offAtStart;
    bool offDuringRun;
    bool tickedOnPage;
    AutostartWay saved;
  };
  const Case cases[] = {
      {"switched off before the start", true, false, false, AutostartWay::kOff},
      {"switched off during the run", false, true, false, AutostartWay::kOff},
      {"switched off, then ticked on the page", true, false, true, AutostartWay::kLoginEntry},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramRig rig("k8-x2-laptop");
    sim::RecordingAutostart& startAtLogon = StartAtLogon(rig);
    startAtLogon.Set(AutostartWay::kLoginEntry, {"/usr/bin/pacetta", "Tarvello"});
    if (c.offAtStart) startAtLogon.SwitchOffInDesktop();
    rig.Store("AutoRun", 1);
    ASSERT_TRUE(rig.Start());
    RecordingHost host;
    SettingsPage page({rig.Program(), host});
    EXPECT_EQ(Find<QCheckBox>(page, "AutoRun").isChecked(), !c.offAtStart);
    if (c.offDuringRun) startAtLogon.SwitchOffInDesktop();
    if (c.tickedOnPage) {
      Click(page, "AutoRun");
      Click(page, "Apply");
    }
    ASSERT_TRUE(rig.Close());
    EXPECT_EQ(startAtLogon.Installed(), c.saved);
    EXPECT_FALSE(startAtLogon.SwitchedOff(c.saved));
    EXPECT_EQ(rig.Stored("AutoRun"), static_cast<uint32_t>(c.saved));
  }
}

}  // namespace
}  // namespace pacetta::ui
