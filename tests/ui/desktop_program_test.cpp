// The desktop program on a simulated machine, in this process: the window's state
// survives an orderly end and a new start, and its close box leaves the program running.
#include <gtest/gtest.h>

#include <QTimer>
#include <functional>

#include "app/console/console_message_boxes.h"
#include "app/lifecycle/program_flow.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/temp_folder.h"
#include "tests/ui/qt_app.h"
#include "ui/desktop_front_end.h"

namespace pacetta::ui::testing {
namespace {

using pacetta::testing::ScopedEnv;
using pacetta::testing::TempFolder;

// Runs the program on the simulated `machine` with its settings in `folder` until
// `drive`, called once the loop runs with the window built, lets it end. The exit code,
// or -1 when no window was built.
int RunProgram(const TempFolder& folder, const std::function<void(DesktopFrontEnd&)>& drive) {
  const ScopedEnv runtime("PACETTA_RUNTIME_DIR", folder.File("runtime"));
  sim::SimulationOptions simulation;
  simulation.machine = "k8-x2-laptop";
  simulation.settingsPath = folder.File("settings.json");
  simulation.stateFolder = folder.File("state");
  std::string error;
  auto pc = sim::SimulatedPc::Create(simulation, error);
  if (!pc) {
    ADD_FAILURE() << error;
    return -1;
  }
  ConsoleMessageBoxes boxes;
  DesktopFrontEnd frontEnd({}, {[] { return true; }});
  bool built = false;
  frontEnd.OnWindowBuilt([&](MainDialog&, DesktopModel&) {
    built = true;
    QTimer::singleShot(0, &frontEnd, [&] { drive(frontEnd); });
  });
  const int code = RunProgramFlow(pc->View(), boxes, frontEnd, {}, {}, [&](MainWindow& window) {
    if (!frontEnd.Window()) return;
    frontEnd.Attach(&window);
    // A bound on the loop, so a lost close fails the test instead of hanging it.
    QTimer::singleShot(120000, [] { QApplication::exit(3); });
    EXPECT_EQ(QApplication::exec(), 0);
    frontEnd.Attach(nullptr);
  });
  return built ? code : -1;
}

TEST(DesktopProgram, TheWindowStateOutlivesTheProgramAndTheCloseBoxDoesNotEndIt) {
  TestApp();
  TempFolder folder;
  const QPoint place(20, 30);
  const int first = RunProgram(folder, [&](DesktopFrontEnd& frontEnd) {
    MainDialog& window = *frontEnd.Window();
    window.SelectRootItem(4);
    window.Collapse();
    window.move(place);
    window.close();
    EXPECT_FALSE(frontEnd.WindowVisible());
    // Still running, until its own close message ends it.
    QTimer::singleShot(0, &frontEnd, [&frontEnd] { frontEnd.RequestClose(); });
  });
  ASSERT_EQ(first, 0);

  const int second = RunProgram(folder, [&](DesktopFrontEnd& frontEnd) {
    MainDialog& window = *frontEnd.Window();
    EXPECT_TRUE(window.Collapsed());
    EXPECT_EQ(window.CaptionText(), QString("Management"));
    EXPECT_EQ(window.pos(), place);
    EXPECT_TRUE(frontEnd.WindowVisible());
    frontEnd.RequestClose();
  });
  EXPECT_EQ(second, 0);
}

}  // namespace
}  // namespace pacetta::ui::testing
