// The CPU information page on the running program of simulated machines: what each tab
// shows of its processor, its status at every refresh, and "Save diagnostic info".
#include "ui/pages/cpu_info/cpu_info_page.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "app/report/dump_command.h"
#include "tests/app/program_rig.h"
#include "tests/ui_pages/recording_host.h"

namespace pacetta::ui {
namespace {

using pacetta::testing::ProgramRig;
using pacetta::testing::TempFolder;
using testing::RecordingHost;
using Features = std::vector<std::pair<std::string, bool>>;

template <typename T>
T& Find(QWidget& parent, const char* name) {
  T* control = parent.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return *control;
}

QString Text(QWidget& tab, const char* name) {
  return Find<QLabel>(tab, name).text();
}

// The feature labels in display order, each with whether it is shown enabled.
Features FeaturesOf(QWidget& tab) {
  Features features;
  for (const QLabel* label : tab.findChildren<QLabel*>("Feature")) {
    features.emplace_back(label->text().toStdString(), label->isEnabled());
  }
  return features;
}

// "12.34%" as 12.34; -1 for anything else.
double Percent(const QString& text) {
  bool ok = false;
  const double value = text.endsWith('%') ? text.chopped(1).toDouble(&ok) : 0.0;
  return ok ? value : -1.0;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Refreshes the program as its timer does until `done` holds (at most a minute); the
// page takes the values as the window lets it after every refresh.
bool RefreshUntil(ProgramRig& rig, CpuInfoPage& page, const std::function<bool()>& done) {
  return ProgramRig::WaitFor([&] {
    rig.Program().OnRefreshTimer();
    page.RefreshShownValues();
    return done();
  });
}

struct Machine {
  std::string machine;
  int32_t tempUnits;
  int processors;
  const char* model;
  const char* core;
  const char* revision;
  const char* signature;
  Features features;
  // Patterns of the core clock and temperature: a reading (in the unit chosen), or "N/A".
  const char* clock;
  const char* temperature;
  // Startup multiplier and voltage, from the processor's limits.
  const char* startupMultiplier;
  const char* startupVoltage;
  bool packagePower;  // today's processors measure their package's power
};

TEST(CpuInfoPage, EachTabShowsItsProcessorsIdentityFeaturesAndStatus) {
  testing::TestApp();
  const std::string unknown =
      std::string(PACETTA_SOURCE_DIR) + "/../shared/cpuid/intel-pentium-iii-coppermine.test";
  const char* const kMhz = R"(^\d+\.\d\d MHz$)";
  const Machine machines[] = {
      {"k8-x2-laptop",
       1,
       2,
       "AMD Turion(TM) 64 X2 Mobile Technology TL-56",
       "Taylor",
       "BH-F2",
       "40F82",
       {{"Cool`n'Quiet", true}},
       kMhz,
       R"(^\d+\.\d°F$)",
       "9.0x",
       "1.1250V",
       false},
      {"pentium-m-laptop",
       0,
       1,
       "Genuine Intel(R) Pentium(R) M",
       "Dothan",
       "B1",
       "6D6",
       {{"EIST", true},
        {"TM1", true},
        {"TM2", true},
        {"ODCM", true},
        {"C1E", false},
        {"DTS", false},
        {"IDA", false},
        {"DFFS", false}},
       kMhz,
       "^N/A$",
       "6.0x",
       "0.9880V",
       false},
      {unknown,
       0,
       1,
       "Genuine Intel(R) Pentium(R) III",
       "Coppermine",
       "cD0",
       "68A",
       {{"N/A", true}},
       "^N/A$",
       "^N/A$",
       "N/A",
       "N/A",
       false},
      // Named by its brand string, which the name tables do not know.
      {"zen-laptop",
       0,
       4,
       "AMD Ryzen 7 4800H with Radeon Graphics",
       "Unknown Core",
       "Unknown",
       "860F01",
       {{"N/A", true}},
       kMhz,
       R"(^\d+\.\d°C$)",
       "42.0x",
       "N/A",
       true},
  };
  for (const Machine& m : machines) {
    SCOPED_TRACE(m.machine);
    ProgramRig rig(m.machine);
    rig.Store("TempUnits", static_cast<uint32_t>(m.tempUnits));
    ASSERT_TRUE(rig.Start());
    RecordingHost host;
    CpuInfoPage page({rig.Program(), host});
    QTabWidget& tabs = Find<QTabWidget>(page, "ProcessorTabs");
    ASSERT_EQ(tabs.count(), m.processors);
    // A single processor's tab cannot be switched away from; its content is not greyed.
    EXPECT_EQ(tabs.tabBar()->isEnabled(), m.processors > 1);
    EXPECT_TRUE(tabs.widget(0)->isEnabled());
    for (int k = 0; k < tabs.count(); ++k) {
      SCOPED_TRACE(k);
      QWidget& tab = *tabs.widget(k);
      EXPECT_EQ(tabs.tabText(k), QStringLiteral("CPU %1").arg(k));
      EXPECT_EQ(Text(tab, "CpuModel"), m.model);
      EXPECT_EQ(Text(tab, "CpuCore"), m.core);
      EXPECT_EQ(Text(tab, "Revision"), m.revision);
      EXPECT_EQ(Text(tab, "Signature"), m.signature);
      EXPECT_EQ(FeaturesOf(tab), m.features);
      EXPECT_EQ(Text(tab, "MultiplierStartup"), m.startupMultiplier);
      EXPECT_EQ(Text(tab, "VoltageStartup"), m.startupVoltage);
    }

    // The tab in front shows the processor's values of the latest refresh.
    QWidget& front = *tabs.widget(0);
    const auto powerShown = [&] { return !Find<QLabel>(front, "PackagePower").isHidden(); };
    // Package power is a difference of two energy readings: it takes a second refresh.
    ASSERT_TRUE(RefreshUntil(rig, page, [&] { return !m.packagePower || powerShown(); }));
    EXPECT_EQ(powerShown(), m.packagePower);
    if (m.packagePower) {
      EXPECT_TRUE(
          QRegularExpression(R"(^\d+\.\d W$)").match(Text(front, "PackagePower")).hasMatch())
          << Text(front, "PackagePower").toStdString();
    }
    EXPECT_TRUE(QRegularExpression(m.temperature).match(Text(front, "CoreTemp")).hasMatch())
        << Text(front, "CoreTemp").toStdString();
    EXPECT_TRUE(QRegularExpression(m.clock).match(Text(front, "CoreClock")).hasMatch())
        << Text(front, "CoreClock").toStdString();
    ASSERT_TRUE(rig.Close());
  }
}

TEST(CpuInfoPage, CpuLoadFollowsEachProcessorsLoadAtTheRefreshes) {
  testing::TestApp();
  // Processor 0 alternates between idle and full load, processor 1 is busy throughout.
  ProgramRig rig("k8-x2-laptop", "script:idle@2500ms,full@2500ms;full");
  ASSERT_TRUE(rig.Start());
  RecordingHost host;
  CpuInfoPage page({rig.Program(), host});
  QTabWidget& tabs = Find<QTabWidget>(page, "ProcessorTabs");
  // The start-up's own busy loops run on processor 0: only a busy phase after an idle one
  // counts.
  bool sawIdle = false;
  bool sawBusy = false;
  EXPECT_TRUE(RefreshUntil(rig, page,
                           [&] {
                             const double load = Percent(Text(*tabs.widget(0), "CpuLoad"));
                             sawIdle = sawIdle || (load >= 0.0 && load < 20.0);
                             sawBusy = sawIdle && load > 80.0;
                             return sawBusy;
                           }))
      << "idle seen: " << sawIdle;
  // Bringing the second tab to the front shows the second processor's load at once.
  tabs.setCurrentIndex(1);
  EXPECT_GT(Percent(Text(*tabs.widget(1), "CpuLoad")), 80.0);
  ASSERT_TRUE(rig.Close());
}

TEST(CpuInfoPage, SavesTheDumpTheCommandLineWritesAndStaysSilentOtherwise) {
  testing::TestApp();
  ProgramRig rig("k8-x2-laptop");
  ASSERT_TRUE(rig.Start());
  RecordingHost host;
  TempFolder folder;
  std::vector<SaveFileRequest> requests;
  std::optional<std::string> answer;  // what the user picks; nullopt: cancelled
  bool endMeanwhile = false;          // the program ends while the dialog is open
  CpuInfoPage page({rig.Program(), host}, [&](QWidget& parent, const SaveFileRequest& request) {
    requests.push_back(request);
    if (endMeanwhile) static_cast<Page&>(parent).StoreState();
    return answer;
  });
  QPushButton& save = Find<QPushButton>(page, "SaveDiagnosticInfo");
  EXPECT_EQ(save.text(), "Save diagnostic info");

  save.click();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].filter, "Text Files (*.txt)");
  EXPECT_EQ(requests[0].defaultName, "cpuinfo.txt");
  EXPECT_EQ(requests[0].defaultSuffix, "txt");
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

  // An existing file is replaced whole.
  const std::string chosen = folder.File("cpuinfo.txt");
  std::ofstream(chosen) << std::string(100000, 'x');
  answer = chosen;
  save.click();
  const std::string command = folder.File("command.txt");
  ASSERT_EQ(RunDumpCommand(rig.Pc().View(), command, stderr), 0);
  const std::string saved = Contents(chosen);
  EXPECT_EQ(saved, Contents(command));
  EXPECT_NE(saved.find("System CPU #1 (logical/2nd core)\r\n"), std::string::npos);

  // A file that cannot be created ends the action without a word.
  answer = folder.File("no-such-folder/cpuinfo.txt");
  save.click();
  EXPECT_FALSE(std::filesystem::exists(*answer));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(host.questions.empty());

  // Once the program has ended, a choice made in a dialog still open writes nothing.
  answer = folder.File("late.txt");
  endMeanwhile = true;
  save.click();
  EXPECT_FALSE(std::filesystem::exists(*answer));
  ASSERT_TRUE(rig.Close());
}

}  // namespace
}  // namespace pacetta::ui
