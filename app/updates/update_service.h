#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "addins/addin_object.h"
#include "addins/update_host.h"
#include "app/strings/string_table.h"
#include "app/updates/update_settings.h"
#include "platform/ftp_client.h"
#include "platform/local_time.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/update_files.h"

namespace pacetta {

// The operations the worker runs.
enum class UpdateOperation : int32_t {
  kCheckAndDownload = 0,
  kCheckAndNotify = 1,
  kDownload = 2,
  kInstall = 3,
};

// The final update states the host shows (the module reports 11-15 while it works).
inline constexpr int32_t kUpdateNoConnection = 1;
inline constexpr int32_t kUpdateServerError = 2;
inline constexpr int32_t kUpdateNone = 3;
inline constexpr int32_t kUpdateAvailable = 4;
inline constexpr int32_t kUpdateInfoError = 5;
inline constexpr int32_t kUpdateCancelled = 6;
inline constexpr int32_t kUpdateDownloadError = 7;
inline constexpr int32_t kUpdateDownloaded = 8;
inline constexpr int32_t kUpdateInstallError = 9;
inline constexpr int32_t kUpdateInstalled = 10;
inline constexpr int32_t kUpdateDownloading = 14;

// The answers of the notification window, in the order of its buttons.
enum class NoticeButton : int32_t { kYes = 0, kNo = 1, kInfo = 2, kOk = 3 };

// The notification window: a question (Yes, No, Info...) or an information (OK alone).
struct UpdateNotice {
  enum class Form { kQuestion, kInformation };
  Form form = Form::kQuestion;
  std::string text;
};

// What "Info..." shows: nothing, a message, or a Yes/No question whose "Yes" goes to
// InfoAnswered.
struct UpdateInfoBox {
  enum class Kind { kNone, kMessage, kQuestion };
  Kind kind = Kind::kNone;
  std::string caption;
  std::string text;
};

// What the Updates page shows, in the words the user reads.
struct UpdatePageView {
  int32_t autoCheck = 0;
  int32_t method = kUpdateMethodNotify;
  int32_t interval = 7;
  std::string lastCheckText;  // "MM/DD/YYYY at HH:MM" or "Not available"
  std::string statusText;
  int32_t lastStatus = 0;
  bool progressVisible = false;
  int32_t progress = 0;  // 0-100
  bool cancelEnabled = false;
  bool checkEnabled = true;
  // "Click here for more information" shown and "Info..." enabled.
  bool infoAvailable = false;
  // The program's folder cannot be written (a package manager installed it): updates are
  // only announced, never downloaded or installed here.
  bool notifyOnly = false;
};

// Where the page's changes go: the desktop's page and notification window, or nothing
// (the console). Called on the loop's thread.
class UpdateViewer {
 public:
  virtual ~UpdateViewer() = default;
  // Read UpdateService::View() again.
  virtual void ViewChanged() = 0;
  // Show the notification window with `notice`.
  virtual void Notify(const UpdateNotice& notice) = 0;
};

// The update server this build (or the command line) names.
struct UpdateServerConfig {
  std::string host;  // empty: this build knows no update server
  uint16_t port = 21;
  std::string path = "/pacetta/";
  platform::FtpTls tls = platform::FtpTls::kPrefer;
  std::string caFile;
};

struct UpdateEnvironment {
  platform::Registry& registry;
  platform::LocalClock& clock;
  platform::System& system;
  platform::FtpClient& ftp;
  platform::UpdateFiles& files;
  const StringTable& strings;
  UpdateServerConfig server;
  std::string programFolder;
  std::span<const uint8_t> publicKey;
  // Runs `work` on the loop's thread soon; callable from any thread.
  std::function<void(std::function<void()>)> post;
  // Asks the main window to restart the program (after an install).
  std::function<void()> requestRestart;
};

// The program's side of automatic updates: the stored settings and results, the check at
// start, the worker that runs the module's operations one at a time, the state shown on
// the Updates page and the notifications. Every public call is made on the loop's thread;
// the worker reaches the loop through `post` and waits for its answer, as the module's
// progress messages are answered synchronously.
class UpdateService final : public addins::UpdateHostWindow {
 public:
  UpdateService(addins::TollundObject& module, UpdateEnvironment environment);
  ~UpdateService() override;
  UpdateService(const UpdateService&) = delete;
  UpdateService& operator=(const UpdateService&) = delete;

  // Reads the settings, hands the module its stored results, removes the backups of the
  // last install and runs the start-up check when it is due.
  void Start();
  void SetViewer(UpdateViewer* viewer);

  const UpdatePageView& View() const { return view_; }
  bool Running() const { return running_.load(); }

  // The page's controls.
  void SetAutoCheck(bool on);
  void SetMethod(int32_t method);
  void SetInterval(int32_t days);
  // "Check now": starts the check of the chosen method unless an operation runs.
  void CheckNow();
  // While the program runs (its timer): the check of the chosen method once it is due by
  // the start-up rule, a failed one again an hour after it.
  void CheckWhenDue();
  // "Cancel": asks the running download to stop; the worker ends on its own.
  void Cancel();
  // "Info..." and the answer to its question.
  UpdateInfoBox Info() const;
  void InfoAnswered(bool yes);
  // A button of the notification window.
  void Answer(NoticeButton button);

  // The orderly end: cancels and waits for the worker (answering its messages), then
  // stores everything. False when the settings could not be written.
  bool Save();

  // The module's host window (the worker's side).
  int64_t Send(uint32_t message, uint64_t wParam, int64_t lParam) override;
  void Sleep(uint32_t milliseconds) override;
  platform::FtpClient& Ftp() override { return env_.ftp; }
  platform::UpdateFiles& Files() override { return env_.files; }
  platform::FtpServer ServerLogin() override;
  std::string ProgramFolder() override { return env_.programFolder; }
  std::span<const uint8_t> PublicKey() override { return env_.publicKey; }

 private:
  void StartOperation(UpdateOperation operation);
  void RunOperation(UpdateOperation operation);
  // Worker side: runs `work` on the loop's thread and waits for it (bounded).
  void OnLoop(const std::function<void()>& work);
  // Loop side: runs what the worker queued.
  void Drain();
  // The worker's pieces.
  void CheckAndAct(bool download);
  // `countsAsCheck`: a check found it, so it completes the check.
  void DownloadAndAsk(bool countsAsCheck);
  void InstallAndTell();

  // Loop side: shows state `s` (with the percentage of state 14).
  void ShowState(int32_t state, int64_t percent);
  void RefreshLastCheck();
  // `restartOnOk`: the notice's "OK" restarts the program.
  void NotifyUser(const UpdateNotice& notice, bool restartOnOk = false);
  void Changed();
  bool CheckDue() const;
  uint64_t NowFiletime() const;

  addins::TollundObject& module_;
  UpdateEnvironment env_;
  UpdateViewer* viewer_ = nullptr;
  UpdateSettings settings_;
  UpdatePageView view_;
  int32_t nextAction_ = -1;
  // An answer's operation waiting for the running one to end (loop's thread).
  std::optional<UpdateOperation> pending_;
  // An information notice whose "OK" restarts the program is showing.
  bool restartOnOk_ = false;

  std::atomic<bool> running_{false};
  std::atomic<int> cancel_{0};
  std::atomic<bool> ending_{false};
  std::thread worker_;
  // Work the worker posted to the loop runs only while the service exists.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

  // The worker's calls waiting for the loop.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queued_;
  uint64_t queuedCount_ = 0;
  uint64_t doneCount_ = 0;
};

}  // namespace pacetta
