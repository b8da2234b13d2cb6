#pragma once
#include <memory>

#include "app/updates/update_service.h"
#include "ui/window/page.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pacetta::ui {

class UpdateNoticeWindow;

// "Updates": when and how the program looks for updates, and how the last look went.
// Every change goes to the update service at once; there is nothing to apply. The page
// shows what the service's view says and brings up the service's notices in their own
// window.
class UpdatesPage final : public Page, public UpdateViewer {
 public:
  UpdatesPage(PageContext context, UpdateService& service);
  ~UpdatesPage() override;

  // The service is left alone from here on; an open box or notice goes away.
  void StoreState() override;

  void ViewChanged() override;
  void Notify(const UpdateNotice& notice) override;

  // The notification window, once a notice was shown.
  UpdateNoticeWindow* NoticeWindow() const { return notice_.get(); }

 private:
  void Show(const UpdatePageView& view);
  // "Info...": the service's message or question in a box.
  void ShowInfo();
  void Answered(NoticeButton button);

  UpdateService& service_;
  QCheckBox* autoCheck_ = nullptr;
  QLabel* intervalLabel_ = nullptr;
  QSpinBox* interval_ = nullptr;
  QLabel* intervalUnit_ = nullptr;
  QButtonGroup* methods_ = nullptr;
  QRadioButton* methodDownload_ = nullptr;
  QRadioButton* methodNotify_ = nullptr;
  QLabel* packageManaged_ = nullptr;
  QPushButton* checkNow_ = nullptr;
  QLabel* lastCheck_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* info_ = nullptr;
  QLabel* infoHint_ = nullptr;
  std::unique_ptr<UpdateNoticeWindow> notice_;
  QMessageBox* openBox_ = nullptr;  // the Info box on screen
  bool ended_ = false;
};

// The page exists while the updates module is loaded.
bool HasUpdatesPage(const DesktopModel& model);
std::unique_ptr<Page> MakeUpdatesPage(PageContext context);

}  // namespace pacetta::ui
