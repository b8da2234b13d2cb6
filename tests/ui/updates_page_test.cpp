#include "ui/pages/updates/updates_page.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/strings/string_ids.h"
#include "platform/memory_registry.h"
#include "tests/test_support/update_doubles.h"
#include "tests/ui/machine_model.h"
#include "tests/ui/qt_app.h"
#include "ui/pages/updates/update_notice_window.h"

namespace pacetta::ui::testing {
namespace {

using namespace std::chrono_literals;

// The updates module as far as the page sees it: scripted results, and a download that
// reports 42% and then runs until it is cancelled (bounded).
class ScriptedModule final : public addins::TollundObject {
 public:
  int32_t checkResult = 0;  // 0 an update, 1 none, negative an error
  std::string error;
  std::atomic<int> downloads{0};

  uint32_t GetVersion() const override { return addins::kTollundVersion; }
  void SetHostWindow(addins::UpdateHostWindow* window) override { host_ = window; }
  void SetServer(const char*, const char*) override {}
  void SetCurrentVersion(uint32_t) override {}
  const char* GetErrorText() const override { return error.c_str(); }
  void SetErrorText(const char* text) override { error = text; }
  const char* GetDescription() const override { return description_.c_str(); }
  void SetDescription(const char* text) override { description_ = text; }
  void GetFiles(const char** remote, const char** local) const override {
    *remote = "";
    *local = "";
  }
  void SetFiles(const char*, const char*) override {}
  uint32_t GetUpdateLength() const override { return 0; }
  void SetUpdateLength(uint32_t) override {}
  bool IsConnected() override { return true; }
  int32_t CheckForUpdate() override { return checkResult; }
  int32_t RetrieveUpdateInfo() override {
    description_ = "Version 2.36: <b>faster</b> start";
    return 0;
  }
  int32_t Download(std::atomic<int>* cancel) override {
    ++downloads;
    host_->Send(addins::kHostUpdateProgress, kUpdateDownloading, 42);
    for (int i = 0; i < 1000 && cancel->load() == 0; ++i) std::this_thread::sleep_for(10ms);
    cancel->store(0);
    return 1;
  }
  int32_t Install() override { return 0; }
  int32_t RemoveBackups() override { return 0; }

 private:
  addins::UpdateHostWindow* host_ = nullptr;
  std::string description_;
};

class NoHost final : public PageHost {
 public:
  bool AskYesNo(uint32_t, uint32_t) override { return false; }
  void Tell(uint32_t, uint32_t, bool) override {}
  void ProfilesChanged() override {}
  void SelectRootItem(int) override {}
  void SelectProfileItem(int32_t) override {}
};

// A service on the scripted module whose worker reaches the page through the Qt loop,
// and the page on it. The page ends before the service does, as in the program.
struct Rig {
  explicit Rig(bool writable = true) {
    TestApp();
    files.writable = writable;
    service = std::make_unique<UpdateService>(
        module, UpdateEnvironment{registry,
                                  clock,
                                  system,
                                  ftp,
                                  files,
                                  model.Strings(),
                                  Server(),
                                  "/opt/tarvello",
                                  {},
                                  [](std::function<void()> work) {
                                    QMetaObject::invokeMethod(qApp, std::move(work),
                                                              Qt::QueuedConnection);
                                  },
                                  [this] { ++restarts; }});
    service->Start();
    page = std::make_unique<UpdatesPage>(PageContext{model, host}, *service);
  }
  static UpdateServerConfig Server() {
    UpdateServerConfig server;
    server.host = "updates.example.net";
    return server;
  }
  ~Rig() {
    page->StoreState();
    service->Save();
  }

  template <typename T>
  T& Find(const char* name) const {
    T* found = page->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return *found;
  }
  template <typename T>
  T& InNotice(const char* name) const {
    return *page->NoticeWindow()->findChild<T*>(name);
  }
  // Waits for the worker until `done`, the loop answering it meanwhile.
  static bool Until(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }
  bool NoticeShowing() const {
    return page->NoticeWindow() != nullptr && page->NoticeWindow()->Showing();
  }

  MachineModel model{"k8-desktop"};
  NoHost host;
  ScriptedModule module;
  platform::MemoryRegistry registry;
  pacetta::testing::StillClock clock{{2026, 3, 14, 9, 5, 0, 0}};
  pacetta::testing::IdleSystem system;
  pacetta::testing::NoFtp ftp;
  pacetta::testing::ProgramFolderFiles files;
  int restarts = 0;
  std::unique_ptr<UpdateService> service;
  std::unique_ptr<UpdatesPage> page;
};

struct Box {
  QString caption;
  QString text;
  QMessageBox::StandardButtons buttons;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Notes the next message box and answers it with `answer`.
void AnswerNextBox(Box& seen, QMessageBox::StandardButton answer) {
  QTimer::singleShot(0, [&seen, answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr) << "no box open";
    seen = {box->windowTitle(), box->text(), box->standardButtons(), box->icon()};
    box->button(answer)->click();
  });
}

TEST(UpdatesPage, ControlsFollowTheServiceAndAnErrorOffersItsText) {
  Rig rig;
  auto& autoCheck = rig.Find<QCheckBox>("AutoCheck");
  auto& interval = rig.Find<QSpinBox>("CheckInterval");
  EXPECT_FALSE(autoCheck.isChecked());
  EXPECT_FALSE(interval.isEnabled());
  EXPECT_EQ(interval.maximum(), kMaxCheckIntervalDays);
  autoCheck.click();
  EXPECT_EQ(rig.service->View().autoCheck, 1);
  EXPECT_TRUE(interval.isEnabled());
  interval.setValue(30);
  EXPECT_EQ(rig.service->View().interval, 30);
  rig.Find<QRadioButton>("MethodDownload").click();
  EXPECT_EQ(rig.service->View().method, kUpdateMethodDownload);
  EXPECT_TRUE(rig.Find<QLabel>("PackageManaged").isHidden());
  EXPECT_EQ(rig.Find<QLabel>("LastCheck").text(), QString("Not available"));

  // The server refuses: the state and its "Info..." with the server's words.
  rig.module.checkResult = -1;
  rig.module.error = "530 <Login> incorrect.";
  auto& info = rig.Find<QPushButton>("Info");
  EXPECT_FALSE(info.isEnabled());
  EXPECT_TRUE(rig.Find<QLabel>("InfoHint").isHidden());
  rig.Find<QPushButton>("CheckNow").click();
  ASSERT_TRUE(Rig::Until([&] { return !rig.service->Running(); }));
  EXPECT_EQ(rig.Find<QLabel>("Status").text(), QString("Error connecting to the server"));
  EXPECT_EQ(rig.Find<QLabel>("LastCheck").text(), QString("03/14/2026 at 09:05"));
  EXPECT_TRUE(rig.Find<QPushButton>("CheckNow").isEnabled());
  EXPECT_TRUE(info.isEnabled());
  EXPECT_FALSE(rig.Find<QLabel>("InfoHint").isHidden());
  Box seen;
  AnswerNextBox(seen, QMessageBox::Ok);
  info.click();
  EXPECT_EQ(seen.caption, QString("Extended error information"));
  EXPECT_EQ(seen.text, QString("530 <Login> incorrect."));
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
  EXPECT_EQ(rig.page->NoticeWindow(), nullptr) << "an error is no notice";
}

TEST(UpdatesPage, ACheckEndsInTheQuestionWhoseYesStartsTheDownloadTheCancelEnds) {
  Rig rig;
  rig.Find<QPushButton>("CheckNow").click();
  ASSERT_TRUE(Rig::Until([&] { return rig.NoticeShowing(); }));
  UpdateNoticeWindow& notice = *rig.page->NoticeWindow();
  EXPECT_EQ(notice.windowTitle(), QString("Tarvello Updates"));
  EXPECT_EQ(notice.Form(), UpdateNotice::Form::kQuestion);
  EXPECT_EQ(rig.InNotice<QLabel>("NoticeText").text().toStdString(),
            rig.model.Strings().Get(kStrUpdateAskDownload));
  EXPECT_FALSE(rig.InNotice<QLabel>("NoticeIcon").pixmap().isNull());
  for (const char* shown : {"Yes", "No", "Info"})
    EXPECT_TRUE(rig.InNotice<QPushButton>(shown).isVisible()) << shown;
  EXPECT_FALSE(rig.InNotice<QPushButton>("Ok").isVisible());
  // The main window is away: the notice rises into the work area's lower right corner.
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_TRUE(Rig::Until([&] { return notice.frameGeometry().bottom() == area.bottom(); }));
  EXPECT_EQ(notice.frameGeometry().right(), area.right());

  rig.InNotice<QPushButton>("Yes").click();
  ASSERT_TRUE(Rig::Until([&] { return rig.module.downloads == 1; }));
  auto& progress = rig.Find<QProgressBar>("Progress");
  ASSERT_TRUE(Rig::Until([&] { return progress.value() == 42; }));
  EXPECT_FALSE(progress.isHidden());
  EXPECT_EQ(rig.Find<QLabel>("Status").text(), QString("Downloading update... 42%"));
  EXPECT_FALSE(rig.Find<QPushButton>("CheckNow").isEnabled());
  ASSERT_TRUE(Rig::Until([&] { return notice.isHidden(); })) << "the answered notice fades away";
  EXPECT_EQ(notice.windowOpacity(), 0.0);

  auto& cancel = rig.Find<QPushButton>("Cancel");
  ASSERT_TRUE(cancel.isEnabled());
  cancel.click();
  ASSERT_TRUE(Rig::Until([&] { return !rig.service->Running(); }));
  EXPECT_EQ(rig.Find<QLabel>("Status").text(), QString("Download cancelled by user"));
  EXPECT_TRUE(progress.isHidden());
  EXPECT_FALSE(cancel.isEnabled());
  EXPECT_FALSE(notice.isVisible());
}

TEST(UpdatesPage, TheNoticesInfoAsksAsThePageDoesAndShowsTheDownloadWhileOpen) {
  Rig rig;
  rig.Find<QPushButton>("CheckNow").click();
  ASSERT_TRUE(Rig::Until([&] { return rig.NoticeShowing(); }));
  // A notice on screen takes a later one's text where it stands.
  rig.page->NoticeWindow()->Settle();
  const QPoint place = rig.page->NoticeWindow()->pos();
  rig.page->Notify({UpdateNotice::Form::kQuestion, "Once more?"});
  EXPECT_TRUE(rig.NoticeShowing());
  EXPECT_EQ(rig.InNotice<QLabel>("NoticeText").text(), QString("Once more?"));
  EXPECT_EQ(rig.page->NoticeWindow()->pos().x(), place.x());

  Box seen;
  AnswerNextBox(seen, QMessageBox::No);
  rig.InNotice<QPushButton>("Info").click();
  EXPECT_EQ(seen.caption, QString("New update is available"));
  EXPECT_EQ(seen.text, QString("Version 2.36: <b>faster</b> start\n\nDo you want to download this "
                               "update now?"));
  EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(rig.module.downloads, 0) << "No downloads nothing";

  // The page's own "Info..." asks the same; its Yes downloads, and a notice still up shows
  // how far.
  rig.page->Notify({UpdateNotice::Form::kQuestion, "Download?"});
  ASSERT_TRUE(rig.NoticeShowing());
  AnswerNextBox(seen, QMessageBox::Yes);
  rig.Find<QPushButton>("Info").click();
  ASSERT_TRUE(Rig::Until([&] { return rig.Find<QProgressBar>("Progress").value() == 42; }));
  EXPECT_EQ(rig.module.downloads, 1);
  EXPECT_EQ(rig.InNotice<QLabel>("NoticeText").text(), QString("Downloading update... 42%"));

  // The program ends: the notice goes, and nothing more reaches the service.
  rig.page->StoreState();
  EXPECT_FALSE(rig.page->NoticeWindow()->isVisible());
  rig.Find<QPushButton>("Cancel").click();
  EXPECT_TRUE(rig.service->Running());
  rig.service->Cancel();
}

TEST(UpdatesPage, APackageManagedCopyOnlyAnnouncesOverTheShownWindowWithOk) {
  Rig rig(/*writable=*/false);
  EXPECT_FALSE(rig.Find<QRadioButton>("MethodDownload").isEnabled());
  EXPECT_TRUE(rig.Find<QRadioButton>("MethodNotify").isChecked());
  EXPECT_FALSE(rig.Find<QLabel>("PackageManaged").isHidden());

  rig.page->resize(400, 300);
  rig.page->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(rig.page.get()));
  rig.Find<QPushButton>("CheckNow").click();
  ASSERT_TRUE(Rig::Until([&] { return rig.NoticeShowing(); }));
  UpdateNoticeWindow& notice = *rig.page->NoticeWindow();
  EXPECT_EQ(notice.Form(), UpdateNotice::Form::kInformation);
  EXPECT_TRUE(rig.InNotice<QLabel>("NoticeText").text().startsWith("Version 2.36"));
  EXPECT_TRUE(rig.InNotice<QPushButton>("Ok").isVisible());
  for (const char* hidden : {"Yes", "No", "Info"})
    EXPECT_FALSE(rig.InNotice<QPushButton>(hidden).isVisible()) << hidden;
  // Over the window on screen it fades in where it stays.
  EXPECT_EQ(notice.frameGeometry().center(), rig.page->frameGeometry().center());
  ASSERT_TRUE(Rig::Until([&] { return notice.windowOpacity() == 1.0; }));

  rig.InNotice<QPushButton>("Ok").click();
  ASSERT_TRUE(Rig::Until([&] { return notice.isHidden(); }));
  EXPECT_EQ(rig.restarts, 0) << "only the finished install's OK restarts";
  EXPECT_EQ(rig.module.downloads, 0);
}

}  // namespace
}  // namespace pacetta::ui::testing
