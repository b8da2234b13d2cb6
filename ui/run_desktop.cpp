#include "ui/run_desktop.h"

#include <QApplication>

#include "app/lifecycle/program_flow.h"
#include "ui/desktop_front_end.h"
#include "ui/qt_message_boxes.h"

namespace pacetta::ui {

int RunDesktop(platform::Platform& platform, int argc, char** argv,
               const std::vector<std::string>& commandArguments,
               const std::vector<std::string>& restartArguments, CloseRequest& closeRequest,
               const LifecycleOptions& options) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QtMessageBoxes boxes;
  DesktopFrontEnd frontEnd;
  closeRequest.Attach([&frontEnd, &boxes] {
    boxes.RequestClose();
    frontEnd.RequestClose();
  });
  const int code = RunProgramFlow(
      platform, boxes, frontEnd, commandArguments, restartArguments,
      [&frontEnd, &closeRequest](MainWindow& window) {
        frontEnd.Attach(&window);
        // A close asked for before the window existed was run with nothing to close.
        if (closeRequest.Requested()) frontEnd.RequestClose();
        QApplication::exec();
        frontEnd.Attach(nullptr);
      },
      options);
  closeRequest.Detach();
  return code;
}

}  // namespace pacetta::ui
