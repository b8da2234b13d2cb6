#include "app/lifecycle/program_flow.h"

#include "app/application.h"
#include "app/strings/string_ids.h"

namespace pacetta {

int RunProgramFlow(platform::Platform& platform, platform::MessageBoxes& boxes, FrontEnd& frontEnd,
                   const std::vector<std::string>& commandArguments,
                   const std::vector<std::string>& restartArguments,
                   const std::function<void(MainWindow&)>& runLoop) {
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
    if (!window.Publish(platform.windows, strings.Get(kStrProductName))) {
      boxes.Show(strings.Get(kStrInitFailed), strings.Get(kStrErrorCaption),
                 platform::MessageIcon::kError, platform::MessageButtons::kOk);
      application.Exit(false);
      return 1;
    }
    for (const CpuInfo& cpu : application.Processors()) {
      frontEnd.Notice(DescribeProcessorRecord(cpu));
    }
    runLoop(window);
    window.Unpublish();
    restart = window.RestartRequested();
  }
  return application.Exit(restart);
}

}  // namespace pacetta
