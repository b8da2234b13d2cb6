#include "app/lifecycle/program_flow.h"

#include "app/application.h"
#include "app/lifecycle/running_program.h"
#include "app/strings/string_ids.h"

namespace pacetta {

int RunProgramFlow(platform::Platform& platform, platform::MessageBoxes& boxes, FrontEnd& frontEnd,
                   const std::vector<std::string>& commandArguments,
                   const std::vector<std::string>& restartArguments,
                   const std::function<void(MainWindow&)>& runLoop,
                   const LifecycleOptions& options) {
  // The driver object is the last to go: its destruction applies the unload policy.
  CPortexDriver driver(platform);
  Application application(platform, boxes, driver, restartArguments);
  int exitCode = 1;
  if (application.Start(ParseCommand(commandArguments), exitCode) != StartupOutcome::kRun) {
    return exitCode;
  }
  bool restart = false;
  {
    MainWindow window(frontEnd);
    const StringTable& strings = application.Strings();
    frontEnd.SetCaption(strings.Get(kStrProductName));
    const auto initFailed = [&] {
      boxes.Show(strings.Get(kStrInitFailed), strings.Get(kStrErrorCaption),
                 platform::MessageIcon::kError, platform::MessageButtons::kOk);
      application.Exit(false);
      return 1;
    };
    // Findable from the start: what a second instance posts meanwhile waits in the
    // window's queue until the loop runs.
    if (!window.Publish(platform.windows, strings.Get(kStrProductName))) return initFailed();
    for (const CpuInfo& cpu : application.Processors()) {
      frontEnd.Notice(DescribeProcessorRecord(cpu));
    }
    RunningProgram program(application, window, frontEnd, options);
    if (!program.Initialise()) {
      program.Shutdown();
      return initFailed();
    }
    window.Attach(&program);
    if (program.Settings().window.runMinimized == 0) {
      frontEnd.ShowWindow();
    } else {
      frontEnd.HideWindow();
    }
    runLoop(window);
    program.Shutdown();  // done already unless the loop ended without a close
    window.Unpublish();
    window.Attach(nullptr);
    restart = window.RestartRequested();
  }
  return application.Exit(restart);
}

}  // namespace pacetta
