#include "app/updates/update_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/strings/string_ids.h"
#include "platform/civil_time.h"
#include "platform/memory_registry.h"
#include "tests/test_support/update_doubles.h"

namespace pacetta {
namespace {

using namespace std::chrono_literals;
constexpr auto kBound = 30s;

// The program's loop on the test's thread: the worker posts here, and the test runs what
// was posted until the state it waits for shows.
class Loop {
 public:
  void Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
    posted_.notify_all();
  }
  // False when `done` does not hold within the bound.
  bool RunUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::function<void()> work;
      {
        std::unique_lock lock(mutex_);
        // Short slices: `done` may also turn on the worker's side alone.
        if (!posted_.wait_for(lock, 5ms, [this] { return !queue_.empty(); })) continue;
        work = std::move(queue_.front());
        queue_.pop_front();
      }
      work();
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> queue_;
};

// The updates module: scripted results, every call noted. A failing operation leaves
// "<operation> failed" as its error text, as the module leaves the server's words.
class FakeModule final : public addins::TollundObject {
 public:
  struct Script {
    bool connected = true;
    int32_t check = 0;  // 0 an update applies, 1 none does
    int32_t info = 0;
    int32_t download = 0;
    int32_t install = 0;
    // The download reports 42% and then runs until it is cancelled.
    bool blockDownload = false;
  };
  Script script;  // set while no operation runs

  int Calls(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), name));
  }

  uint32_t GetVersion() const override { return addins::kTollundVersion; }
  void SetHostWindow(addins::UpdateHostWindow* window) override { host_ = window; }
  void SetServer(const char*, const char*) override {}
  void SetCurrentVersion(uint32_t) override {}
  // The texts are left unguarded: the service must hand them between its threads.
  const char* GetErrorText() const override { return error_.c_str(); }
  void SetErrorText(const char* text) override { error_ = text; }
  const char* GetDescription() const override { return description_.c_str(); }
  void SetDescription(const char* text) override { description_ = text; }
  void GetFiles(const char** remote, const char** local) const override {
    *remote = remote_.c_str();
    *local = local_.c_str();
  }
  void SetFiles(const char* remote, const char* local) override {
    remote_ = remote;
    local_ = local;
  }
  uint32_t GetUpdateLength() const override { return length_; }
  void SetUpdateLength(uint32_t length) override { length_ = length; }
  bool IsConnected() override { return Note("IsConnected", script.connected ? 0 : -1) == 0; }
  int32_t CheckForUpdate() override { return Note("CheckForUpdate", script.check); }
  int32_t RetrieveUpdateInfo() override {
    if (script.info >= 0) {
      description_ = "Version 2.36: faster start";
      SetFiles("tarvello-2.36.pkg", "/opt/tarvello/Updates/tarvello-2.36.pkg");
      length_ = 123456;
    }
    return Note("RetrieveUpdateInfo", script.info);
  }
  int32_t Download(std::atomic<int>* cancel) override {
    if (!script.blockDownload) return Note("Download", script.download);
    Note("Download", 0);
    host_.load()->Send(addins::kHostUpdateProgress, kUpdateDownloading, 42);
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (cancel->load() == 0) {
      if (std::chrono::steady_clock::now() > deadline) return Note("NeverCancelled", -1);
      std::this_thread::sleep_for(1ms);
    }
    cancel->exchange(0);
    // The module still reports while it winds down; the host must answer.
    host_.load()->Send(addins::kHostUpdateProgress, kUpdateDownloading, 43);
    return 1;
  }
  int32_t Install() override { return Note("Install", script.install); }
  int32_t RemoveBackups() override { return Note("RemoveBackups", 0); }

 private:
  int32_t Note(const std::string& name, int32_t result) {
    if (result < 0) error_ = name + " failed";
    std::lock_guard lock(mutex_);
    calls_.push_back(name);
    return result;
  }

  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::atomic<addins::UpdateHostWindow*> host_{nullptr};
  std::string error_, description_, remote_, local_;
  uint32_t length_ = 0;
};

constexpr platform::LocalTime kNow{2026, 3, 14, 9, 5, 0, 0};
constexpr uint64_t kDay = 864000000000ULL;

// The stored form of a wall-clock reading: 100-ns units since 1601.
uint64_t Stamp(const platform::LocalTime& reading) {
  return static_cast<uint64_t>(*platform::UtcSecondsOf(reading) + 11644473600LL) * 10000000ULL;
}
uint64_t DaysAgo(int days) {
  return Stamp(kNow) - static_cast<uint64_t>(days) * kDay;
}

// Notes the notices and every status text the page was told to show.
class Viewer final : public UpdateViewer {
 public:
  const UpdateService* service = nullptr;
  std::vector<UpdateNotice> notices;
  std::vector<std::string> shown;
  void ViewChanged() override { shown.push_back(service->View().statusText); }
  void Notify(const UpdateNotice& notice) override { notices.push_back(notice); }
  bool Showed(const std::string& text) const {
    return std::find(shown.begin(), shown.end(), text) != shown.end();
  }
};

// An earlier run's stored settings: no start-up check, a success a month ago.
UpdateSettings Earlier() {
  UpdateSettings stored;
  stored.lastSuccessCheck = DaysAgo(30);
  return stored;
}

struct Rig {
  explicit Rig(std::string host = "updates.example", bool writable = true) {
    server.host = std::move(host);
    files.writable = writable;
  }
  // Stores what an earlier run left and starts the service on it.
  UpdateService& Start(const UpdateSettings& stored) {
    EXPECT_TRUE(SaveUpdateSettings(registry, stored));
    auto post = [this](std::function<void()> work) { loop.Post(std::move(work)); };
    service.emplace(module, UpdateEnvironment{registry,
                                              clock,
                                              system,
                                              ftp,
                                              files,
                                              strings,
                                              server,
                                              "/opt/tarvello",
                                              {},
                                              post,
                                              [this] { ++restarts; }});
    viewer.service = &*service;
    service->SetViewer(&viewer);
    service->Start();
    return *service;
  }
  bool Finished() {
    return loop.RunUntil([this] { return !service->Running(); });
  }
  // What Save() stored.
  UpdateSettings Saved() {
    EXPECT_TRUE(service->Save());
    return LoadUpdateSettings(registry);
  }

  UpdateServerConfig server;
  Loop loop;
  FakeModule module;
  platform::MemoryRegistry registry;
  testing::StillClock clock{kNow};
  testing::IdleSystem system;
  testing::NoFtp ftp;
  testing::ProgramFolderFiles files;
  StringTable strings;
  Viewer viewer;
  int restarts = 0;
  std::optional<UpdateService> service;  // ends first
};

const std::string kPackageManaged =
    "Version 2.36: faster start\n\nThis copy of Tarvello was installed by the system's package "
    "manager. Please update it through the package manager.";

TEST(UpdateSettings, StoredValuesAreBroughtIntoRangeAndMissingOnesKeepTheirDefaults) {
  struct Case {
    std::vector<std::pair<const char*, uint32_t>> stored;  // none at all: no key
    int32_t autoCheck, method, interval, lastStatus;
  } cases[] = {
      {{}, 0, 1, 7, 0},
      {{{"Length", 5}}, 0, 1, 7, 0},  // a key without the values
      {{{"AutoCheck", 1}, {"Method", 0}, {"Interval", 30}, {"LastStatus", 8}}, 1, 0, 30, 8},
      {{{"AutoCheck", 3}}, 1, 1, 7, 0},
      {{{"Interval", 0}}, 0, 1, 1, 0},
      {{{"Interval", 400}}, 0, 1, 365, 0},
      {{{"Interval", 0xFFFFFFFF}}, 0, 1, 1, 0},
      {{{"Method", 5}}, 0, 0, 7, 0},
      {{{"LastStatus", 15}}, 0, 1, 7, 15},
      {{{"LastStatus", 20}}, 0, 1, 7, 0},
      {{{"LastStatus", 0xFFFFFFFF}}, 0, 1, 7, 0},
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE(row);
    const Case& c = cases[row];
    platform::MemoryRegistry registry;
    if (!c.stored.empty()) {
      auto key = registry.OpenUserKey(kUpdatesKey, true);
      for (const auto& [name, value] : c.stored) key->WriteDword(name, value);
    }
    const UpdateSettings loaded = LoadUpdateSettings(registry);
    EXPECT_EQ(loaded.autoCheck, c.autoCheck);
    EXPECT_EQ(loaded.method, c.method);
    EXPECT_EQ(loaded.interval, c.interval);
    EXPECT_EQ(loaded.lastStatus, c.lastStatus);
    EXPECT_EQ(loaded.lastCheck, 0u);
    EXPECT_EQ(loaded.lastDescription, "");
  }
}

TEST(UpdateSettings, EveryValueSurvivesSavingWithTextsCutToTheirBuffers) {
  UpdateSettings saved;
  saved.autoCheck = 1;
  saved.method = kUpdateMethodDownload;
  saved.interval = 45;
  saved.lastStatus = 9;
  saved.lastCheck = 0x01DCB3A512345678ULL;
  saved.lastSuccessCheck = 0x01DCB00087654321ULL;
  saved.lastError = std::string(1500, 'e');
  saved.lastDescription = std::string(5000, 'd');
  saved.lastRemoteFile = std::string(300, 'r');
  saved.lastLocalFile = std::string(259, 'l');
  saved.lastLength = 0xFEDCBA98u;
  platform::MemoryRegistry registry;
  ASSERT_TRUE(SaveUpdateSettings(registry, saved));

  UpdateSettings expected = saved;
  expected.lastError.resize(1023);
  expected.lastDescription.resize(4095);
  expected.lastRemoteFile.resize(259);
  EXPECT_EQ(LoadUpdateSettings(registry), expected);

  const platform::RegistryValues values = registry.Snapshot().at(kUpdatesKey);
  EXPECT_EQ(std::get<uint32_t>(values.at("ModuleVersion")), 0x02030500u);
  // Times are eight bytes, least significant first, as other versions read them.
  EXPECT_EQ(std::get<std::vector<uint8_t>>(values.at("LastCheck")),
            (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12, 0xA5, 0xB3, 0xDC, 0x01}));
}

TEST(UpdateService, TheStartUpCheckRunsWhenTheIntervalHasPassedAndNoUpdateWaits) {
  struct Case {
    const char* name;
    int32_t autoCheck, method, lastStatus, daysAgo;
    bool checks;
    const char* status;  // shown once the start is over
  } cases[] = {
      {"off", 0, 1, 0, 100, false, "Not available"},
      {"6 days ago", 1, 1, 0, 6, false, "Not available"},
      {"8 days ago, notify", 1, 1, 3, 8, true, "New update is available"},
      {"8 days ago, download", 1, 0, 3, 8, true, "New update downloaded"},
      {"never", 1, 1, 0, -1, true, "New update is available"},
      {"downloaded waits", 1, 0, 8, 8, false, "New update downloaded"},
      {"available waits", 1, 1, 4, 8, false, "New update is available"},
      {"installed earlier, due", 1, 1, 10, 8, true, "New update is available"},
      {"installed earlier, not due", 1, 1, 10, 6, false, "Update successful"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    UpdateSettings stored = Earlier();
    stored.autoCheck = c.autoCheck;
    stored.method = c.method;
    stored.lastStatus = c.lastStatus;
    stored.lastSuccessCheck = c.daysAgo < 0 ? 0 : DaysAgo(c.daysAgo);
    stored.lastDescription = "Version 2.35";
    stored.lastRemoteFile = "tarvello-2.35.pkg";
    stored.lastLocalFile = "/opt/tarvello/Updates/tarvello-2.35.pkg";
    stored.lastLength = 777;
    UpdateService& service = rig.Start(stored);
    EXPECT_EQ(service.Running(), c.checks);
    ASSERT_TRUE(rig.Finished());
    EXPECT_EQ(rig.module.Calls("CheckForUpdate"), c.checks ? 1 : 0);
    EXPECT_EQ(rig.module.Calls("Download"), c.checks && c.method == 0 ? 1 : 0);
    EXPECT_EQ(rig.module.Calls("RemoveBackups"), 1);
    EXPECT_EQ(service.View().statusText, c.status);
    if (!c.checks) {
      // The module starts from what the earlier run left.
      const char* remote = nullptr;
      const char* local = nullptr;
      rig.module.GetFiles(&remote, &local);
      EXPECT_STREQ(remote, "tarvello-2.35.pkg");
      EXPECT_STREQ(local, "/opt/tarvello/Updates/tarvello-2.35.pkg");
      EXPECT_EQ(rig.module.GetUpdateLength(), 777u);
      EXPECT_TRUE(rig.viewer.notices.empty());
    }
    if (!c.checks && c.lastStatus == kUpdateDownloaded) {
      EXPECT_TRUE(service.View().infoAvailable);
      const UpdateInfoBox info = service.Info();
      EXPECT_EQ(info.kind, UpdateInfoBox::Kind::kQuestion);
      EXPECT_EQ(info.caption, "New update downloaded");
      EXPECT_EQ(info.text, "Version 2.35\n\nDo you want to install this update now?");
    }
  }
}

TEST(UpdateService, ACheckEndsInTheStateOfItsOutcomeWithItsInfoAndNotice) {
  using Kind = UpdateInfoBox::Kind;
  // What each final state shows: its status, and for an update the question Info...
  // asks and the notice's text.
  struct Shown {
    const char* status;
    const char* question = nullptr;
    uint32_t notice = 0;
  };
  const std::map<int32_t, Shown> shown = {
      {1, {"No Internet connection is available"}},
      {2, {"Error connecting to the server"}},
      {3, {"No new update is available"}},
      {4,
       {"New update is available",
        "Version 2.36: faster start\n\nDo you want to download this update now?",
        kStrUpdateAskDownload}},
      {5, {"Error retreiving update info"}},
      {6, {"Download cancelled by user"}},
      {7, {"Error downloading update"}},
      {8,
       {"New update downloaded",
        "Version 2.36: faster start\n\nDo you want to install this update now?",
        kStrUpdateAskInstall}},
  };
  const char* net = "updates.example";
  struct Case {
    const char* name;
    std::string host;
    int32_t method;
    FakeModule::Script script;
    int32_t state;
    bool succeeded;     // LastSuccessCheck moves to this check
    const char* error;  // what Info... shows; null: nothing
  } cases[] = {
      {"no connection", net, 1, {.connected = false}, 1, false, nullptr},
      {"loopback", "127.0.0.1", 1, {.connected = false, .check = 1}, 3, true, nullptr},
      {"localhost", "localhost", 1, {.connected = false, .check = 1}, 3, true, nullptr},
      {"no server", "", 1, {}, 2, false, "This build of Tarvello names no update server."},
      {"check fails", net, 1, {.check = -1}, 2, false, "CheckForUpdate failed"},
      {"no update", net, 0, {.check = 1}, 3, true, nullptr},
      {"info fails", net, 0, {.info = -2}, 5, false, "RetrieveUpdateInfo failed"},
      {"notify", net, 1, {}, 4, true, nullptr},
      {"download fails", net, 0, {.download = -1}, 7, false, "Download failed"},
      {"download cancelled", net, 0, {.download = 1}, 6, false, nullptr},
      {"downloaded", net, 0, {}, 8, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(c.host);
    UpdateSettings stored = Earlier();
    stored.method = c.method;
    UpdateService& service = rig.Start(stored);
    rig.module.script = c.script;
    service.CheckNow();
    ASSERT_TRUE(rig.Finished());

    const bool loopback = c.host == "127.0.0.1" || c.host == "localhost";
    EXPECT_EQ(rig.module.Calls("IsConnected"), c.host.empty() || loopback ? 0 : 1);
    const bool reached = !c.host.empty() && (loopback || c.script.connected);
    EXPECT_EQ(rig.module.Calls("CheckForUpdate"), reached ? 1 : 0);
    const Shown& expected = shown.at(c.state);
    EXPECT_EQ(service.View().lastStatus, c.state);
    EXPECT_EQ(service.View().statusText, expected.status);
    EXPECT_EQ(service.View().lastCheckText, "03/14/2026 at 09:05");
    EXPECT_FALSE(service.View().progressVisible);
    EXPECT_FALSE(service.View().cancelEnabled);
    EXPECT_TRUE(service.View().checkEnabled);

    const UpdateInfoBox info = service.Info();
    if (expected.question) {
      EXPECT_EQ(info.kind, Kind::kQuestion);
      EXPECT_EQ(info.caption, expected.status);
      EXPECT_EQ(info.text, expected.question);
    } else if (c.error) {
      EXPECT_EQ(info.kind, Kind::kMessage);
      EXPECT_EQ(info.caption, "Extended error information");
      EXPECT_EQ(info.text, c.error);
    } else {
      EXPECT_EQ(info.kind, Kind::kNone);
    }
    EXPECT_EQ(service.View().infoAvailable, info.kind != Kind::kNone);
    ASSERT_EQ(rig.viewer.notices.size(), expected.notice != 0 ? 1u : 0u);
    if (expected.notice != 0) {
      EXPECT_EQ(rig.viewer.notices[0].form, UpdateNotice::Form::kQuestion);
      EXPECT_EQ(rig.viewer.notices[0].text, rig.strings.Get(expected.notice));
    }

    const UpdateSettings saved = rig.Saved();
    EXPECT_EQ(saved.lastStatus, c.state);
    EXPECT_EQ(saved.lastCheck, Stamp(kNow));
    EXPECT_EQ(saved.lastSuccessCheck, c.succeeded ? Stamp(kNow) : DaysAgo(30));
  }
}

TEST(UpdateService, TheInstallQuestionsYesInstallsAndOnlyItsSuccessNoticesOkRestarts) {
  struct Case {
    const char* name;
    int32_t install;
    bool throughInfo;  // "Yes" of Info...'s question rather than of the notice
    int32_t state;
  } cases[] = {
      {"installed", 0, false, kUpdateInstalled},
      {"installed through Info", 0, true, kUpdateInstalled},
      {"install fails", -1, false, kUpdateInstallError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    UpdateSettings stored = Earlier();
    stored.method = kUpdateMethodDownload;
    UpdateService& service = rig.Start(stored);
    rig.module.script.install = c.install;
    service.CheckNow();
    ASSERT_TRUE(rig.Finished());
    ASSERT_EQ(service.View().lastStatus, kUpdateDownloaded);
    // The question's other answers change nothing.
    service.Answer(NoticeButton::kNo);
    service.Answer(NoticeButton::kOk);
    service.InfoAnswered(false);
    EXPECT_FALSE(service.Running());
    EXPECT_EQ(rig.module.Calls("Install"), 0);
    EXPECT_EQ(rig.restarts, 0);

    if (c.throughInfo) {
      service.InfoAnswered(true);
    } else {
      service.Answer(NoticeButton::kYes);
    }
    ASSERT_TRUE(rig.Finished());
    EXPECT_EQ(rig.module.Calls("Install"), 1);
    EXPECT_EQ(service.View().lastStatus, c.state);
    EXPECT_TRUE(service.View().checkEnabled);
    if (c.state == kUpdateInstalled) {
      ASSERT_EQ(rig.viewer.notices.size(), 2u);
      EXPECT_EQ(rig.viewer.notices[1].form, UpdateNotice::Form::kInformation);
      EXPECT_EQ(rig.viewer.notices[1].text, rig.strings.Get(kStrUpdateInstalled));
    } else {
      EXPECT_EQ(rig.viewer.notices.size(), 1u);
      EXPECT_EQ(service.Info().kind, UpdateInfoBox::Kind::kMessage);
      EXPECT_EQ(service.Info().text, "Install failed");
    }
    service.Answer(NoticeButton::kOk);
    service.Answer(NoticeButton::kOk);
    EXPECT_EQ(rig.restarts, c.state == kUpdateInstalled ? 1 : 0);
  }
}

TEST(UpdateService, TheDownloadShowsItsProgressAndCancelEndsIt) {
  Rig rig;
  UpdateService& service = rig.Start(Earlier());
  rig.module.script.blockDownload = true;
  service.CheckNow();
  ASSERT_TRUE(rig.Finished());
  ASSERT_EQ(service.View().lastStatus, kUpdateAvailable);

  service.Answer(NoticeButton::kYes);
  ASSERT_TRUE(rig.loop.RunUntil([&] { return service.View().progress == 42; }));
  EXPECT_TRUE(rig.viewer.Showed("Downloading update... 42%"));
  EXPECT_EQ(service.View().statusText, "Downloading update... 42%");
  EXPECT_EQ(service.View().lastStatus, kUpdateDownloading);
  EXPECT_TRUE(service.View().progressVisible);
  EXPECT_TRUE(service.View().cancelEnabled);
  EXPECT_FALSE(service.View().checkEnabled);
  // One operation at a time.
  service.CheckNow();
  service.Answer(NoticeButton::kYes);
  EXPECT_TRUE(service.Running());

  service.Cancel();
  ASSERT_TRUE(rig.Finished());
  EXPECT_EQ(rig.module.Calls("Download"), 1);
  EXPECT_EQ(rig.module.Calls("NeverCancelled"), 0);
  EXPECT_EQ(rig.module.Calls("CheckForUpdate"), 1);
  EXPECT_EQ(service.View().lastStatus, kUpdateCancelled);
  EXPECT_EQ(service.View().statusText, "Download cancelled by user");
  EXPECT_FALSE(service.View().progressVisible);
  EXPECT_FALSE(service.View().cancelEnabled);
  EXPECT_TRUE(service.View().checkEnabled);
  EXPECT_EQ(rig.viewer.notices.size(), 1u) << "a cancel asks nothing";
}

TEST(UpdateService, SaveDuringADownloadEndsItAnsweringTheWorkerAndStoresTheResults) {
  Rig rig;
  UpdateSettings stored = Earlier();
  stored.method = kUpdateMethodDownload;
  stored.lastError = "451 earlier trouble";
  UpdateService& service = rig.Start(stored);
  rig.module.script.blockDownload = true;
  service.SetAutoCheck(true);
  service.SetInterval(500);
  service.CheckNow();
  ASSERT_TRUE(rig.loop.RunUntil([&] { return service.View().progress == 42; }));

  const auto before = std::chrono::steady_clock::now();
  ASSERT_TRUE(service.Save());
  EXPECT_LT(std::chrono::steady_clock::now() - before, 20s) << "the worker waited unanswered";
  EXPECT_FALSE(service.Running());
  EXPECT_EQ(rig.module.Calls("NeverCancelled"), 0);
  EXPECT_TRUE(rig.viewer.Showed("Downloading update... 43%"));
  EXPECT_EQ(service.View().statusText, "Download cancelled by user");

  UpdateSettings expected = stored;
  expected.autoCheck = 1;
  expected.interval = 365;
  expected.lastStatus = kUpdateCancelled;
  expected.lastCheck = Stamp(kNow);
  expected.lastDescription = "Version 2.36: faster start";
  expected.lastRemoteFile = "tarvello-2.36.pkg";
  expected.lastLocalFile = "/opt/tarvello/Updates/tarvello-2.36.pkg";
  expected.lastLength = 123456;
  EXPECT_EQ(LoadUpdateSettings(rig.registry), expected);

  // The program is ending: nothing starts any more.
  service.CheckNow();
  EXPECT_FALSE(service.Running());
}

TEST(UpdateService, AnInstalledCopyWithItsModulesApartOnlyAnnouncesUpdates) {
  Rig rig("updates.example", /*writable=*/true);
  rig.system.moduleFolder = "/opt/lib/tarvello";
  UpdateSettings stored = Earlier();
  stored.method = kUpdateMethodDownload;
  UpdateService& service = rig.Start(stored);
  EXPECT_TRUE(service.View().notifyOnly);
  EXPECT_EQ(service.View().method, kUpdateMethodNotify);
}

TEST(UpdateService, ACopyItCannotReplaceOnlyAnnouncesUpdates) {
  Rig rig("updates.example", /*writable=*/false);
  UpdateSettings stored = Earlier();
  stored.autoCheck = 1;
  stored.method = kUpdateMethodDownload;
  stored.lastSuccessCheck = DaysAgo(8);
  UpdateService& service = rig.Start(stored);
  EXPECT_TRUE(service.View().notifyOnly);
  EXPECT_EQ(service.View().method, kUpdateMethodNotify);
  service.SetMethod(kUpdateMethodDownload);
  EXPECT_EQ(service.View().method, kUpdateMethodNotify);

  ASSERT_TRUE(rig.Finished());  // the start-up check
  EXPECT_EQ(rig.module.Calls("CheckForUpdate"), 1);
  EXPECT_EQ(service.View().lastStatus, kUpdateAvailable);
  ASSERT_EQ(rig.viewer.notices.size(), 1u);
  EXPECT_EQ(rig.viewer.notices[0].form, UpdateNotice::Form::kInformation);
  EXPECT_EQ(rig.viewer.notices[0].text, kPackageManaged);
  const UpdateInfoBox info = service.Info();
  EXPECT_EQ(info.kind, UpdateInfoBox::Kind::kMessage);
  EXPECT_EQ(info.text, kPackageManaged);

  service.Answer(NoticeButton::kYes);
  EXPECT_FALSE(service.Running());
  service.InfoAnswered(true);
  EXPECT_FALSE(service.Running());
  service.Answer(NoticeButton::kOk);
  EXPECT_EQ(rig.restarts, 0);
  // Checking again still never downloads.
  service.CheckNow();
  ASSERT_TRUE(rig.Finished());
  EXPECT_EQ(rig.module.Calls("CheckForUpdate"), 2);

  // A download an earlier run left is never installed here either.
  Rig earlier("updates.example", /*writable=*/false);
  stored.autoCheck = 0;
  stored.lastStatus = kUpdateDownloaded;
  UpdateService& waiting = earlier.Start(stored);
  waiting.Answer(NoticeButton::kYes);
  waiting.InfoAnswered(true);
  EXPECT_FALSE(waiting.Running());

  for (const FakeModule* module : {&rig.module, &earlier.module}) {
    EXPECT_EQ(module->Calls("Download"), 0);
    EXPECT_EQ(module->Calls("Install"), 0);
    EXPECT_EQ(module->Calls("RemoveBackups"), 0);
  }
}

TEST(UpdateService, ARunningProgramChecksWhenDueAndRetriesAFailedCheckHourly) {
  Rig rig;
  UpdateSettings stored = Earlier();
  stored.autoCheck = 1;
  stored.lastSuccessCheck = DaysAgo(6);
  UpdateService& service = rig.Start(stored);
  const struct {
    const char* when;
    int64_t seconds;  // after kNow
    int32_t answer;   // the server's, should a check come
    int checks;       // CheckForUpdate calls so far
  } ticks[] = {{"6 days after the last check", 0, -1, 0},
               {"8 days after: due, and it fails", 2 * 86400, -1, 1},
               {"half an hour after the failure", 2 * 86400 + 1800, 1, 1},
               {"an hour after the failure: no update", 2 * 86400 + 3601, 1, 2},
               {"a day after that check", 3 * 86400 + 3601, 1, 2},
               {"8 days after it", 10 * 86400 + 3602, 1, 3}};
  for (const auto& tick : ticks) {
    SCOPED_TRACE(tick.when);
    rig.module.script.check = tick.answer;
    rig.clock.Later(tick.seconds);
    service.CheckWhenDue();
    ASSERT_TRUE(rig.Finished());
    EXPECT_EQ(rig.module.Calls("CheckForUpdate"), tick.checks);
  }
  service.SetAutoCheck(false);
  rig.clock.Later(30 * 86400);
  service.CheckWhenDue();
  EXPECT_FALSE(service.Running());
}

}  // namespace
}  // namespace pacetta
