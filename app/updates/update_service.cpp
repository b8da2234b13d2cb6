#include "app/updates/update_service.h"

#include <algorithm>
#include <cstdio>

#include "app/settings/app_settings.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "platform/civil_time.h"

namespace pacetta {

namespace {

// 100-ns units of a day, and from 1601-01-01 to 1970-01-01.
constexpr uint64_t kFiletimeDay = 864000000000ULL;
constexpr uint64_t kFiletimePerSecond = 10000000ULL;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr uint64_t kFailedCheckSpacing = kFiletimeDay / 24;  // an hour

// The worker waits this long for the loop to take a message; a loop that is gone does
// not keep it for ever.
constexpr std::chrono::seconds kLoopAnswerBound{30};

bool IsLoopbackHost(const std::string& host) {
  return host == "localhost" || host == "::1" || host.starts_with("127.");
}

}  // namespace

UpdateService::UpdateService(addins::TollundObject& module, UpdateEnvironment environment)
    : module_(module), env_(std::move(environment)) {
  // An update lays its files out beside the program: a copy whose modules lie in a
  // library folder of their own was installed by a package and is updated by it.
  view_.notifyOnly = !env_.files.CanReplaceIn(env_.programFolder) ||
                     env_.system.ModuleFolder() != env_.programFolder;
}

UpdateService::~UpdateService() {
  ending_ = true;
  cancel_ = 1;
  // Nothing is left to answer the worker's messages now: its waits end unanswered.
  {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
  }
  if (worker_.joinable()) worker_.join();
  module_.SetHostWindow(nullptr);
}

void UpdateService::SetViewer(UpdateViewer* viewer) {
  viewer_ = viewer;
}

void UpdateService::Start() {
  settings_ = LoadUpdateSettings(env_.registry);
  module_.SetDescription(settings_.lastDescription.c_str());
  module_.SetErrorText(settings_.lastError.c_str());
  module_.SetFiles(settings_.lastRemoteFile.c_str(), settings_.lastLocalFile.c_str());
  module_.SetUpdateLength(settings_.lastLength);

  view_.autoCheck = settings_.autoCheck;
  view_.method = view_.notifyOnly ? kUpdateMethodNotify : settings_.method;
  view_.interval = settings_.interval;
  ShowState(settings_.lastStatus, 0);
  RefreshLastCheck();

  module_.SetHostWindow(this);
  module_.SetServer(env_.server.host.c_str(), env_.server.path.c_str());
  module_.SetCurrentVersion(kProgramVersion);
  if (!view_.notifyOnly) module_.RemoveBackups();
  if (CheckDue()) {
    StartOperation(view_.method == kUpdateMethodDownload ? UpdateOperation::kCheckAndDownload
                                                         : UpdateOperation::kCheckAndNotify);
  }
}

bool UpdateService::CheckDue() const {
  if (settings_.autoCheck == 0) return false;
  // An update waits for the user's answer. A finished install does not hold the checks
  // back: the check that found it counts for the interval like any other.
  if (settings_.lastStatus == kUpdateAvailable || settings_.lastStatus == kUpdateDownloaded)
    return false;
  const uint64_t now = NowFiletime();
  const uint64_t since = now > settings_.lastSuccessCheck ? now - settings_.lastSuccessCheck : 0;
  return since > static_cast<uint64_t>(settings_.interval) * kFiletimeDay;
}

uint64_t UpdateService::NowFiletime() const {
  const platform::LocalTime now = env_.clock.Now();
  const std::optional<int64_t> seconds = platform::UtcSecondsOf(now);
  if (!seconds || *seconds < -kSecondsFrom1601To1970) return 0;
  return static_cast<uint64_t>(*seconds + kSecondsFrom1601To1970) * kFiletimePerSecond +
         static_cast<uint64_t>(now.millisecond) * 10000ULL;
}

void UpdateService::RefreshLastCheck() {
  if (settings_.lastCheck == 0) {
    view_.lastCheckText = env_.strings.Get(kStrUpdateNotAvailable);
    return;
  }
  const auto seconds =
      static_cast<int64_t>(settings_.lastCheck / kFiletimePerSecond) - kSecondsFrom1601To1970;
  const platform::LocalTime at = platform::UtcReadingOf(seconds);
  char text[40];
  std::snprintf(text, sizeof text, "%02hu/%02hu/%04hu at %02hu:%02hu", at.month, at.day, at.year,
                at.hour, at.minute);
  view_.lastCheckText = text;
}

void UpdateService::SetAutoCheck(bool on) {
  settings_.autoCheck = on ? 1 : 0;
  view_.autoCheck = settings_.autoCheck;
  Changed();
}

void UpdateService::SetMethod(int32_t method) {
  if (method != kUpdateMethodDownload && method != kUpdateMethodNotify) return;
  if (view_.notifyOnly && method == kUpdateMethodDownload) return;
  settings_.method = method;
  view_.method = method;
  Changed();
}

void UpdateService::SetInterval(int32_t days) {
  settings_.interval = std::clamp(days, kMinCheckIntervalDays, kMaxCheckIntervalDays);
  view_.interval = settings_.interval;
  Changed();
}

void UpdateService::CheckNow() {
  if (running_.load()) return;
  StartOperation(view_.method == kUpdateMethodDownload ? UpdateOperation::kCheckAndDownload
                                                       : UpdateOperation::kCheckAndNotify);
}

void UpdateService::CheckWhenDue() {
  if (running_.load() || !CheckDue()) return;
  // Failed checks do not count as done: they are spaced, not repeated at every tick. A
  // clock set back before the last check does not hold the next one back.
  const uint64_t now = NowFiletime();
  if (now >= settings_.lastCheck && now - settings_.lastCheck < kFailedCheckSpacing) return;
  CheckNow();
}

void UpdateService::Cancel() {
  cancel_.store(1);
}

void UpdateService::StartOperation(UpdateOperation operation) {
  // A copy that its package manager installed is never changed by the program itself.
  if (view_.notifyOnly) {
    if (operation == UpdateOperation::kDownload || operation == UpdateOperation::kInstall) return;
    operation = UpdateOperation::kCheckAndNotify;
  }
  if (ending_.load()) return;
  if (running_.exchange(true)) {
    // The "Yes" to the question an operation asked as it finished starts once it has ended;
    // any other start while one runs is ignored.
    if ((operation == UpdateOperation::kDownload && view_.lastStatus == kUpdateAvailable) ||
        (operation == UpdateOperation::kInstall && view_.lastStatus == kUpdateDownloaded)) {
      pending_ = operation;
    }
    return;
  }
  if (worker_.joinable()) worker_.join();  // the previous one has finished its work
  cancel_.store(0);
  worker_ = std::thread([this, operation] { RunOperation(operation); });
}

void UpdateService::RunOperation(UpdateOperation operation) {
  const bool check = operation == UpdateOperation::kCheckAndDownload ||
                     operation == UpdateOperation::kCheckAndNotify;
  OnLoop([this, check] {
    view_.checkEnabled = false;
    if (check) {
      nextAction_ = -1;
      view_.infoAvailable = false;
      settings_.lastCheck = NowFiletime();
    }
    Changed();
  });
  switch (operation) {
    case UpdateOperation::kCheckAndDownload:
      CheckAndAct(true);
      break;
    case UpdateOperation::kCheckAndNotify:
      CheckAndAct(false);
      break;
    case UpdateOperation::kDownload:
      DownloadAndAsk(false);
      break;
    case UpdateOperation::kInstall:
      InstallAndTell();
      break;
  }
  OnLoop([this] {
    RefreshLastCheck();
    view_.cancelEnabled = false;
    view_.checkEnabled = true;
    Changed();
  });
  running_.store(false);
  {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
  }
  env_.post([this, alive = std::weak_ptr<bool>(alive_)] {
    if (!alive.lock() || !pending_) return;
    const UpdateOperation next = *pending_;
    pending_.reset();
    StartOperation(next);
  });
}

void UpdateService::CheckAndAct(bool download) {
  if (env_.server.host.empty()) {
    module_.SetErrorText(env_.strings.Get(kStrUpdateNoServer).c_str());
    OnLoop([this] { ShowState(kUpdateServerError, 0); });
    return;
  }
  // A server on this machine needs no network.
  if (!IsLoopbackHost(env_.server.host) && !module_.IsConnected()) {
    OnLoop([this] { ShowState(kUpdateNoConnection, 0); });
    return;
  }
  const int32_t found = module_.CheckForUpdate();
  if (found < 0) {
    OnLoop([this] { ShowState(kUpdateServerError, 0); });
    return;
  }
  if (found == 1) {
    OnLoop([this] {
      settings_.lastSuccessCheck = settings_.lastCheck;
      ShowState(kUpdateNone, 0);
    });
    return;
  }
  if (module_.RetrieveUpdateInfo() < 0) {
    OnLoop([this] { ShowState(kUpdateInfoError, 0); });
    return;
  }
  if (download) {
    DownloadAndAsk(true);
    return;
  }
  OnLoop([this] {
    settings_.lastSuccessCheck = settings_.lastCheck;
    ShowState(kUpdateAvailable, 0);
    if (view_.notifyOnly) {
      NotifyUser(
          {UpdateNotice::Form::kInformation,
           FormatText(env_.strings.Get(kStrUpdatePackageManaged), {module_.GetDescription()})});
    } else {
      NotifyUser({UpdateNotice::Form::kQuestion, env_.strings.Get(kStrUpdateAskDownload)});
    }
  });
}

void UpdateService::DownloadAndAsk(bool countsAsCheck) {
  OnLoop([this] {
    view_.progress = 0;
    view_.progressVisible = true;
    view_.cancelEnabled = true;
    Changed();
  });
  const int32_t result = module_.Download(&cancel_);
  OnLoop([this, result, countsAsCheck] {
    view_.progressVisible = false;
    if (result < 0) {
      ShowState(kUpdateDownloadError, 0);
    } else if (result == 1) {
      ShowState(kUpdateCancelled, 0);
    } else {
      if (countsAsCheck) settings_.lastSuccessCheck = settings_.lastCheck;
      ShowState(kUpdateDownloaded, 0);
      NotifyUser({UpdateNotice::Form::kQuestion, env_.strings.Get(kStrUpdateAskInstall)});
    }
  });
}

void UpdateService::InstallAndTell() {
  const int32_t result = module_.Install();
  OnLoop([this, result] {
    if (result < 0) {
      ShowState(kUpdateInstallError, 0);
      return;
    }
    ShowState(kUpdateInstalled, 0);
    NotifyUser({UpdateNotice::Form::kInformation, env_.strings.Get(kStrUpdateInstalled)}, true);
  });
}

void UpdateService::ShowState(int32_t state, int64_t percent) {
  if (state < 0 || state > kLastUpdateState) return;
  settings_.lastStatus = state;
  view_.lastStatus = state;
  if (state == kUpdateDownloading) {
    const auto shown = static_cast<int32_t>(std::clamp<int64_t>(percent, INT32_MIN, INT32_MAX));
    view_.statusText = FormatText(env_.strings.Get(kStrUpdateDownloading), {shown});
    view_.progress = std::clamp(shown, 0, 100);
  } else {
    view_.statusText = env_.strings.Get(kStrUpdateStateFirst + static_cast<uint32_t>(state));
  }
  switch (state) {
    case kUpdateAvailable:
      nextAction_ = 1;
      break;
    case kUpdateDownloaded:
      nextAction_ = 2;
      break;
    case kUpdateServerError:
    case kUpdateInfoError:
    case kUpdateDownloadError:
    case kUpdateInstallError:
      nextAction_ = 0;
      break;
    default:
      Changed();
      return;
  }
  view_.infoAvailable = true;
  Changed();
}

void UpdateService::NotifyUser(const UpdateNotice& notice, bool restartOnOk) {
  // Before the viewer: it may answer at once.
  restartOnOk_ = restartOnOk;
  if (viewer_) viewer_->Notify(notice);
}

void UpdateService::Changed() {
  if (viewer_) viewer_->ViewChanged();
}

UpdateInfoBox UpdateService::Info() const {
  const StringTable& strings = env_.strings;
  switch (nextAction_) {
    case 0:
      return {UpdateInfoBox::Kind::kMessage, strings.Get(kStrUpdateErrorCaption),
              module_.GetErrorText()};
    case 1: {
      const std::string description = module_.GetDescription();
      if (view_.notifyOnly) {
        return {UpdateInfoBox::Kind::kMessage, strings.Get(kStrUpdateAvailableCaption),
                FormatText(strings.Get(kStrUpdatePackageManaged), {description})};
      }
      return {UpdateInfoBox::Kind::kQuestion, strings.Get(kStrUpdateAvailableCaption),
              FormatText(strings.Get(kStrUpdateDownloadQuestion), {description})};
    }
    case 2:
      return {UpdateInfoBox::Kind::kQuestion, strings.Get(kStrUpdateDownloadedCaption),
              FormatText(strings.Get(kStrUpdateInstallQuestion), {module_.GetDescription()})};
    default:
      return {};
  }
}

void UpdateService::InfoAnswered(bool yes) {
  if (!yes) return;
  if (nextAction_ == 1) StartOperation(UpdateOperation::kDownload);
  if (nextAction_ == 2) StartOperation(UpdateOperation::kInstall);
}

void UpdateService::Answer(NoticeButton button) {
  switch (button) {
    case NoticeButton::kYes:
      InfoAnswered(true);
      break;
    case NoticeButton::kOk:
      // Only the notice of a finished install restarts; the others just close.
      if (restartOnOk_ && env_.requestRestart) {
        restartOnOk_ = false;
        env_.requestRestart();
      }
      break;
    case NoticeButton::kNo:
    case NoticeButton::kInfo:  // the page shows Info() as its own button does
      break;
  }
}

bool UpdateService::Save() {
  settings_.interval = view_.interval;
  // The download sees the cancel first; every other network wait is abandoned.
  cancel_.store(1);
  {
    std::lock_guard lock(mutex_);
    ending_.store(true);
    changed_.notify_all();
  }
  while (running_.load()) {
    Drain();
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(50),
                      [this] { return !running_.load() || queuedCount_ > doneCount_; });
  }
  Drain();
  if (worker_.joinable()) worker_.join();
  const char* remote = nullptr;
  const char* local = nullptr;
  module_.GetFiles(&remote, &local);
  settings_.lastError = module_.GetErrorText();
  settings_.lastDescription = module_.GetDescription();
  settings_.lastRemoteFile = remote != nullptr ? remote : "";
  settings_.lastLocalFile = local != nullptr ? local : "";
  settings_.lastLength = module_.GetUpdateLength();
  return SaveUpdateSettings(env_.registry, settings_);
}

int64_t UpdateService::Send(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message != addins::kHostUpdateProgress) return 0;
  const auto state = static_cast<int32_t>(wParam);
  OnLoop([this, state, lParam] { ShowState(state, lParam); });
  return 0;
}

void UpdateService::Sleep(uint32_t milliseconds) {
  env_.system.Sleep(std::chrono::milliseconds(milliseconds));
}

platform::FtpServer UpdateService::ServerLogin() {
  platform::FtpServer server;
  server.host = env_.server.host;
  server.port = env_.server.port;
  server.tls = env_.server.tls;
  server.caFile = env_.server.caFile;
  server.abandon = &ending_;
  return server;
}

void UpdateService::OnLoop(const std::function<void()>& work) {
  uint64_t ticket = 0;
  {
    std::lock_guard lock(mutex_);
    queued_.push_back(work);
    ticket = ++queuedCount_;
    changed_.notify_all();
  }
  std::weak_ptr<bool> alive = alive_;
  env_.post([this, alive] {
    if (alive.lock()) Drain();
  });
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, kLoopAnswerBound,
                    [this, ticket] { return doneCount_ >= ticket || ending_.load(); });
}

void UpdateService::Drain() {
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      if (queued_.empty()) return;
      work = std::move(queued_.front());
      queued_.pop_front();
    }
    work();
    std::lock_guard lock(mutex_);
    ++doneCount_;
    changed_.notify_all();
  }
}

}  // namespace pacetta
