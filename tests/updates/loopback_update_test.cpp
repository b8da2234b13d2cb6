// The updates module against an FTP server of the test's own on 127.0.0.1 and the real
// Linux file side: what comes over the network and what it does to the program's folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "addins/update_client/update_client.h"
#include "platform/linux/ftp/linux_ftp_client.h"
#include "platform/linux/update_files.h"
#include "tests/platform_linux/ftp_server_rig.h"
#include "tests/test_support/temp_folder.h"
#include "tests/updates/test_packages.h"

namespace pacetta::addins {
namespace {

namespace fs = std::filesystem;
using pacetta::testing::FtpServerRig;
using pacetta::testing::VariedBytes;
using ::testing::HasSubstr;
using updates::testing::Bytes;
using updates::testing::Gzip;
using updates::testing::TarWriter;
using updates::testing::TestSigner;
using Tree = std::map<std::string, std::string>;
// A folder on the server: file name -> content.
using Served = std::map<std::string, std::string>;
using Report = std::pair<uint64_t, int64_t>;

constexpr uint32_t kRunning = 0x02030500u;  // 2.3.5.0
// The account the module logs in with; the rig's server has no other.
constexpr char kUser[] = "quillmerrows";
constexpr char kPassword[] = "plomvetch";

std::string VersionFile(uint32_t lowest, uint32_t brings) {
  std::string bytes;
  for (uint32_t value : {lowest, brings}) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xff);
  }
  return bytes;
}

std::string Text(const Bytes& bytes) {
  return {bytes.begin(), bytes.end()};
}

std::string FileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Long contents shortened to their size and a hash, so that a failure stays readable.
std::string Shown(const std::string& content) {
  if (content.size() <= 200) return content;
  return "<" + std::to_string(content.size()) + " bytes #" +
         std::to_string(std::hash<std::string>{}(content)) + ">";
}

// Everything below `folder` with its content and permission bits.
Tree Modes(const std::string& folder) {
  Tree tree = updates::testing::Snapshot(folder);
  for (auto& [name, content] : tree) {
    struct stat status {};
    lstat((folder + "/" + name).c_str(), &status);
    char mode[8];
    std::snprintf(mode, sizeof mode, " %03o", status.st_mode & 07777);
    content = Shown(content) + mode;
  }
  return tree;
}

// The four files of update `name` on the server, its package signed by `signer`.
Served Offer(const std::string& name, uint32_t lowest, uint32_t brings, const Bytes& package,
             const TestSigner& signer, const std::string& description = "An update.") {
  return {{name + ".ver", VersionFile(lowest, brings)},
          {name + ".txt", description},
          {name + ".tar.gz", Text(package)},
          {name + ".tar.gz.sig", Text(signer.Sign(package))}};
}

// `served` with `name` replaced by `content`, or removed without one.
Served Changed(Served served, const std::string& name, std::optional<std::string> content) {
  if (content) {
    served[name] = std::move(*content);
  } else {
    served.erase(name);
  }
  return served;
}

class LoopbackHost final : public UpdateHostWindow {
 public:
  LoopbackHost(std::string program, Bytes key)
      : program_(std::move(program)), key_(std::move(key)) {}
  platform::FtpServer login;
  std::vector<Report> sent;
  // Raised from the report of a download's first piece, as a user cancelling would.
  std::atomic<int>* cancelAfterFirstPiece = nullptr;
  bool cancelRaised = false;

  int64_t Send(uint32_t message, uint64_t wParam, int64_t lParam) override {
    if (message != kHostUpdateProgress) return 0;
    sent.emplace_back(wParam, lParam);
    // Connecting reports downloading once; the next report follows the first piece.
    if (cancelAfterFirstPiece && wParam == 14 && ++downloading_ == 2) {
      cancelAfterFirstPiece->store(1);
      cancelRaised = true;
    }
    return 0;
  }
  void Sleep(uint32_t) override {}
  platform::FtpClient& Ftp() override { return ftp_; }
  platform::UpdateFiles& Files() override { return files_; }
  platform::FtpServer ServerLogin() override { return login; }
  std::string ProgramFolder() override { return program_; }
  std::span<const uint8_t> PublicKey() override { return key_; }

 private:
  std::string program_;
  Bytes key_;
  int downloading_ = 0;
  linux_os::LinuxFtpClient ftp_;
  linux_os::LinuxUpdateFiles files_;
};

class LoopbackUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FtpServerRig::Available()) GTEST_SKIP() << "python3-pyftpdlib is missing";
    LayProgram();
  }

  // The installed program, afresh: what an update replaces and what it must never harm.
  void LayProgram() {
    fs::remove_all(program_);
    fs::create_directories(program_ + "/data");
    chmod(program_.c_str(), 0755);
    chmod((program_ + "/data").c_str(), 0755);
    for (const auto& [name, content, mode] : {std::tuple{"pacetta", "pacetta 2.3.5", 0755},
                                              {"Tollund.so", "Tollund 2.3.5", 0644},
                                              {"data/strings.txt", "strings 2.3.5", 0600}}) {
      updates::testing::WriteTextFile(program_ + "/" + name, content);
      chmod((program_ + "/" + name).c_str(), mode);
    }
  }

  // A server of `mode` with the module's account, started on first use.
  FtpServerRig& Server(const std::string& mode, platform::FtpTls tls = platform::FtpTls::kPrefer) {
    std::unique_ptr<FtpServerRig>& rig = rigs_[mode];
    if (!rig) rig = std::make_unique<FtpServerRig>(mode, kUser, kPassword);
    host_.login = rig->Server(tls);
    return *rig;
  }
  // `client` set up for the updates in `folder` of the server.
  void Attach(UpdateClient& client, const std::string& folder) {
    client.SetHostWindow(&host_);
    client.SetServer("127.0.0.1", folder.c_str());
    client.SetCurrentVersion(kRunning);
  }
  static void Publish(const FtpServerRig& rig, const std::string& folder, const Served& served) {
    rig.MakeFolder(folder);
    for (const auto& [name, content] : served) rig.Put(folder + "/" + name, content);
  }

  pacetta::testing::TempFolder folder_;
  std::string program_ = folder_.File("program");
  TestSigner publisher_{5};
  LoopbackHost host_{program_, publisher_.PublicKey()};
  std::map<std::string, std::unique_ptr<FtpServerRig>> rigs_;
};

struct Transport {
  const char* mode;
  platform::FtpTls tls;
};

class LoopbackTransport : public LoopbackUpdate, public ::testing::WithParamInterface<Transport> {};

TEST_P(LoopbackTransport, TheChosenUpdateArrivesWholeAndIsInstalledWithBackups) {
  const std::string bulk = VariedBytes(1 << 20);  // many pieces, so many percentages
  const Bytes package = Gzip(TarWriter()
                                 .File("pacetta", "pacetta 2.3.7", 0755)
                                 .File("Tollund.so", bulk)
                                 .Folder("data")
                                 .File("data/strings.txt", "strings 2.3.7")
                                 .File("data/added.txt", "added in 2.3.7")
                                 .Finish());
  // Line ends and bytes beyond ASCII survive only a binary transfer.
  const std::string description = "Faster start.\r\nCaf\xc3\xa9 fixes.\n";
  const Bytes other = Gzip(TarWriter().File("pacetta", "pacetta 2.3.6", 0755).Finish());
  Served served = Offer("a", 0x02030000u, 0x02030600u, other, publisher_, "not this one");
  served.merge(Offer("b", 0x02030500u, 0x02030700u, package, publisher_, description));
  FtpServerRig& rig = Server(GetParam().mode, GetParam().tls);
  ASSERT_TRUE(rig.Running()) << rig.Log();
  Publish(rig, "updates", served);
  UpdateClient client;
  Attach(client, "updates/");

  ASSERT_EQ(client.CheckForUpdate(), 0) << client.GetErrorText() << rig.Log();
  ASSERT_EQ(client.RetrieveUpdateInfo(), 0) << client.GetErrorText();
  EXPECT_EQ(client.GetDescription(), description);
  EXPECT_EQ(client.GetUpdateLength(), package.size());
  const char* remote = nullptr;
  const char* local = nullptr;
  client.GetFiles(&remote, &local);
  EXPECT_STREQ(remote, "b.tar.gz");
  EXPECT_EQ(std::string(local), program_ + "/.update-download/b.tar.gz");

  host_.sent.clear();
  std::atomic<int> cancel{0};
  ASSERT_EQ(client.Download(&cancel), 0) << client.GetErrorText();
  EXPECT_EQ(Shown(FileText(program_ + "/.update-download/b.tar.gz")), Shown(Text(package)));
  EXPECT_EQ(FileText(program_ + "/.update-download/b.tar.gz.sig"), Text(publisher_.Sign(package)));
  // Connecting, then the percentage of the package rising to the whole.
  ASSERT_GE(host_.sent.size(), 3u);
  EXPECT_EQ(host_.sent.front(), (Report{11, 0}));
  int64_t percent = 0;
  bool between = false;
  for (size_t i = 1; i < host_.sent.size(); ++i) {
    EXPECT_EQ(host_.sent[i].first, 14u) << i;
    EXPECT_GE(host_.sent[i].second, percent) << i;
    percent = host_.sent[i].second;
    between = between || (percent > 0 && percent < 100);
  }
  EXPECT_EQ(percent, 100);
  EXPECT_TRUE(between);

  host_.sent.clear();
  ASSERT_EQ(client.Install(), 0) << client.GetErrorText();
  EXPECT_EQ(host_.sent, (std::vector<Report>{{15, 0}}));
  // The download's folder is gone; each replaced file is kept with its own mode.
  Tree installed{
      {"pacetta", "pacetta 2.3.7 (x) 755"},
      {"pacetta.bak", "pacetta 2.3.5 (x) 755"},
      {"Tollund.so", Shown(bulk) + " 644"},
      {"Tollund.so.bak", "Tollund 2.3.5 644"},
      {"data", "<dir> 755"},
      {"data/strings.txt", "strings 2.3.7 644"},
      {"data/strings.txt.bak", "strings 2.3.5 600"},
      {"data/added.txt", "added in 2.3.7 644"},
  };
  EXPECT_EQ(Modes(program_), installed);
  Tree everything{{"program", "<dir> 755"}};
  for (const auto& [name, content] : installed) everything["program/" + name] = content;
  EXPECT_EQ(Modes(folder_.Path()), everything);

  EXPECT_EQ(client.RemoveBackups(), 0);
  std::erase_if(installed, [](const auto& entry) { return entry.first.ends_with(".bak"); });
  EXPECT_EQ(Modes(program_), installed);
}

INSTANTIATE_TEST_SUITE_P(Servers, LoopbackTransport,
                         ::testing::Values(Transport{"plain", platform::FtpTls::kPrefer},
                                           Transport{"tls", platform::FtpTls::kRequire}),
                         [](const auto& info) { return std::string(info.param.mode); });

TEST_F(LoopbackUpdate, NoApplicableUpdateOrAnEmptyFolderIsNoErrorButAMissingFolderIs) {
  FtpServerRig& rig = Server("plain");
  ASSERT_TRUE(rig.Running()) << rig.Log();
  const Bytes package = Gzip(TarWriter().File("pacetta", "pacetta 2.4", 0755).Finish());
  Served stale = Offer("later", 0x02030600u, 0x02040000u, package, publisher_);
  stale.merge(Offer("same", 0x02030000u, kRunning, package, publisher_));
  stale.merge(Offer("older", 0x02020000u, 0x02030400u, package, publisher_));
  Publish(rig, "stale", stale);
  rig.MakeFolder("empty");
  const Tree before = Modes(folder_.Path());

  const struct {
    const char* folder;
    bool found;  // a folder that is there: no update is no error
  } cases[] = {{"stale", true}, {"empty", true}, {"absent", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    UpdateClient client;
    Attach(client, c.folder);
    const int32_t result = client.CheckForUpdate();
    if (c.found) {
      EXPECT_EQ(result, 1) << client.GetErrorText();
      EXPECT_STREQ(client.GetErrorText(), "");
    } else {
      EXPECT_LT(result, 0);
      EXPECT_STRNE(client.GetErrorText(), "");
    }
    EXPECT_LT(client.RetrieveUpdateInfo(), 0) << "nothing was found to describe";
  }
  EXPECT_EQ(Modes(folder_.Path()), before);
}

TEST_F(LoopbackUpdate, ADownloadCancelledAfterItsFirstPieceLeavesNothingBehind) {
  FtpServerRig& rig = Server("plain");
  ASSERT_TRUE(rig.Running()) << rig.Log();
  // Never finished, so it need not be a package at all.
  const Bytes large = updates::testing::ToBytes(VariedBytes(8 << 20));
  Publish(rig, "updates", Offer("large", 0x02030000u, 0x02030600u, large, publisher_));
  UpdateClient client;
  Attach(client, "updates");
  ASSERT_EQ(client.CheckForUpdate(), 0) << client.GetErrorText();
  ASSERT_EQ(client.RetrieveUpdateInfo(), 0) << client.GetErrorText();
  const Tree before = Modes(folder_.Path());

  std::atomic<int> cancel{0};
  host_.cancelAfterFirstPiece = &cancel;
  host_.sent.clear();
  EXPECT_EQ(client.Download(&cancel), 1) << client.GetErrorText();
  EXPECT_TRUE(host_.cancelRaised);
  EXPECT_EQ(cancel.load(), 0);
  ASSERT_FALSE(host_.sent.empty());
  EXPECT_LT(host_.sent.back().second, 100);
  EXPECT_EQ(Modes(folder_.Path()), before);
  EXPECT_LT(client.Install(), 0);
  EXPECT_EQ(Modes(folder_.Path()), before);
}

enum Step { kCheck, kInfo, kDownload, kInstall, kNone };

TEST_F(LoopbackUpdate, ABrokenOrHostileServerNeverChangesTheProgram) {
  const uint32_t lowest = 0x02030000u, brings = 0x02030600u;
  const Bytes good = Gzip(TarWriter()
                              .File("pacetta", "pacetta 2.3.6", 0755)
                              .File("Tollund.so", "Tollund 2.3.6")
                              .Finish());
  // Half of it is enough for the server to hang up in a transfer under way.
  const Bytes large = Gzip(TarWriter()
                               .File("pacetta", "pacetta 2.3.6", 0755)
                               .File("bulk", VariedBytes(1 << 20))
                               .Finish());
  // A proper file first: refusing the whole package is what keeps it out too.
  const auto escaping = [](TarWriter::Header header, const std::string& data) {
    TarWriter archive;
    archive.File("pacetta", "pacetta 2.3.6", 0755).Entry(std::move(header), data);
    return Gzip(archive.Finish());
  };
  const auto offer = [&](const std::string& name, const Bytes& package) {
    return Offer(name, lowest, brings, package, publisher_);
  };
  const Served shortPackage = offer("short", good);
  const Served signed_ = offer("sig", good);
  const Served notApplying{{"good.ver", VersionFile(0x02030600u, 0x02040000u)}};

  const struct {
    const char* what;
    const char* mode;
    Served served;
    Step fails;
    bool noUpdate;      // the step gives 1 rather than an error
    const char* error;  // what the module's error text must hold
  } cases[] = {
      {"the server hangs up halfway through the package", "cutting", offer("cut", large), kDownload,
       false, ""},
      {"the package cut short under a signature of the whole", "plain",
       Changed(shortPackage, "short.tar.gz",
               shortPackage.at("short.tar.gz").substr(0, good.size() / 2)),
       kDownload, false, "refused"},
      {"a package signed with another key", "plain",
       Offer("foreign", lowest, brings, good, TestSigner(9)), kDownload, false, "refused"},
      {"a signature with a line end after it", "plain",
       Changed(signed_, "sig.tar.gz.sig", signed_.at("sig.tar.gz.sig") + "\n"), kDownload, false,
       "refused"},
      {"no signature", "plain",
       Changed(offer("unsigned", good), "unsigned.tar.gz.sig", std::nullopt), kDownload, false,
       "signature"},
      {"no description", "plain", Changed(offer("mute", good), "mute.txt", std::nullopt), kInfo,
       false, "mute.txt"},
      {"an entry leaving the folder", "plain", offer("up", escaping({.name = "../x"}, "outside")),
       kInstall, false, "climbs out"},
      {"an absolute entry", "plain",
       offer("abs", escaping({.name = folder_.File("abs")}, "outside")), kInstall, false,
       "an absolute name"},
      {"a link entry", "plain",
       offer("link", escaping({.name = "Tollund.so", .type = '2', .linkName = "/etc/passwd"}, "")),
       kInstall, false, "a symbolic link"},
      {"a version file of 7 bytes", "plain",
       Changed(offer("tiny", good), "tiny.ver", VersionFile(lowest, brings).substr(0, 7)), kCheck,
       false, "too short"},
      // Names with folder parts, "..", control bytes or over-long are listed beside a
      // good.ver that does not apply: reading any of them would be an error.
      {"names that are no plain file names", "hostile", notApplying, kCheck, true, ""},
      // No name the server lists may choose where the download goes: these once cleared a
      // program file or folder of the same name.
      {"an update with no name before .ver", "plain",
       Offer("", lowest, brings, good, TestSigner(9)), kCheck, true, ""},
      {"an update named like the program", "plain",
       Offer("pacetta", lowest, brings, good, TestSigner(9)), kDownload, false, "refused"},
      {"an update named like a folder of the program", "plain",
       Offer("data", lowest, brings, good, TestSigner(9)), kDownload, false, "refused"},
      {"a signed package bringing the download's own folder", "plain",
       offer("own", escaping({.name = ".update-download/x"}, "inside")), kInstall, false,
       "a name of its own"},
  };
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LayProgram();
    FtpServerRig& rig = Server(c.mode);
    ASSERT_TRUE(rig.Running()) << rig.Log();
    const std::string folder = "row" + std::to_string(row++);
    Publish(rig, folder, c.served);
    const Tree before = Modes(folder_.Path());
    UpdateClient client;
    Attach(client, folder);
    std::atomic<int> cancel{0};
    const std::function<int32_t()> steps[] = {
        [&] { return client.CheckForUpdate(); }, [&] { return client.RetrieveUpdateInfo(); },
        [&] { return client.Download(&cancel); }, [&] { return client.Install(); }};
    int step = kCheck;
    int32_t result = 0;
    while (step < kNone && (result = steps[step]()) == 0) ++step;

    const std::string error = client.GetErrorText();
    EXPECT_EQ(step, c.fails) << error;
    if (c.noUpdate) {
      EXPECT_EQ(result, 1) << error;
    } else {
      EXPECT_LT(result, 0);
      EXPECT_NE(error, "");
      EXPECT_THAT(error, HasSubstr(c.error));
    }
    // What failed to download cannot be installed either.
    if (step == kDownload) {
      EXPECT_LT(client.Install(), 0);
    }
    EXPECT_EQ(Modes(folder_.Path()), before);
  }
}

}  // namespace
}  // namespace pacetta::addins
