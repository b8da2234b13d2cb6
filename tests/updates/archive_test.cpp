#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/updates/package_rig.h"
#include "updates/package_archive.h"

namespace pacetta::updates {
namespace {

using testing::Bytes;
using testing::Gzip;
using testing::PackageRig;
using testing::Snapshot;
using testing::TarWriter;
using Header = TarWriter::Header;

// The umask while unpacking, put back afterwards.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
  ~ScopedUmask() { umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

// A harmless file first, so that a refusal must throw away what was already read.
TarWriter Started() {
  return std::move(TarWriter().File("good.txt", "fine"));
}

TEST(PackageArchive, HostileArchivesAreRefusedBeforeAnythingIsWritten) {
  std::string longPath;
  while (longPath.size() < 256) longPath += "d/";
  longPath += "f";
  // Complete archives, and archives stopped where the writer stopped.
  const auto whole = [](const TarWriter& tar) { return Gzip(tar.Finish()); };
  const auto cut = [](const TarWriter& tar) { return Gzip(tar.Bytes()); };
  const char overflowingSize[12] = {'\x80', '\x01', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Bytes cutGzip = whole(Started());
  cutGzip.resize(cutGzip.size() - 12);
  Bytes notGzip = whole(Started());
  notGzip[0] ^= 0xff;

  const struct Case {
    const char* what;
    Bytes archive;
    TarProblem problem;
  } cases[] = {
      {"absolute name", whole(Started().File("/etc/cron.d/x", "x")), TarProblem::kAbsoluteName},
      {"climbs out", whole(Started().File("bin/../../x", "x")), TarProblem::kParentComponent},
      {"backslash", whole(Started().File("bin\\x", "x")), TarProblem::kBackslash},
      {"control character", whole(Started().File("bin/x\ny", "x")), TarProblem::kControlCharacter},
      {"empty name", whole(Started().File("", "x")), TarProblem::kEmptyName},
      {"only dots", whole(Started().File("./.", "x")), TarProblem::kEmptyName},
      {"256-byte name", whole(Started().Pax({{"path", longPath}}).File("f", "x")),
       TarProblem::kNameTooLong},
      {"256-byte component", whole(Started().LongName(std::string(256, 'n')).File("f", "x")),
       TarProblem::kNameTooLong},
      {"symlink", whole(Started().Entry({.name = "lib", .type = '2'}, "")), TarProblem::kSymlink},
      {"hard link", whole(Started().Entry({.name = "link", .type = '1'}, "")),
       TarProblem::kHardLink},
      {"character device", whole(Started().Entry({.name = "tty", .type = '3'}, "")),
       TarProblem::kDevice},
      {"block device", whole(Started().Entry({.name = "sda", .type = '4'}, "")),
       TarProblem::kDevice},
      {"FIFO", whole(Started().Entry({.name = "pipe", .type = '6'}, "")), TarProblem::kFifo},
      {"sparse file", whole(Started().Entry({.name = "s", .type = 'S', .gnu = true}, "")),
       TarProblem::kUnsupportedType},
      {"folder with data", whole(Started().Entry({.name = "d/", .type = '5'}, "data")),
       TarProblem::kFolderWithData},
      {"checksum", whole(Started().Entry({.name = "x", .checksum = "0012345"}, "x")),
       TarProblem::kChecksum},
      {"not a tar header", whole(Started().Raw(std::string(512, 'Z'))), TarProblem::kNotTar},
      {"data cut short", cut(Started().Entry({.name = "x", .size = 2000}, "only some")),
       TarProblem::kTruncated},
      {"header cut short", Gzip(Started().File("x", "x").Bytes().substr(0, 512 + 512 + 300)),
       TarProblem::kTruncated},
      {"no end marker", cut(Started().File("x", "x")), TarProblem::kTruncated},
      {"a lone zero block", cut(Started().Raw(std::string(512, '\0'))), TarProblem::kTruncated},
      {"garbage after the end", Gzip(Started().Finish() + "PK\3\4 another archive"),
       TarProblem::kTrailingGarbage},
      {"pax size overflows",
       whole(Started().Pax({{"size", "99999999999999999999999"}}).File("x", "")),
       TarProblem::kSizeOverflow},
      {"base-256 size overflows",
       whole(Started().Entry({.name = "x", .sizeField = overflowingSize}, "")),
       TarProblem::kSizeOverflow},
      {"size beyond any package", whole(Started().Entry({.name = "x", .size = 077777777777}, "")),
       TarProblem::kTooLarge},
      {"malformed pax record",
       whole(Started().Entry({.name = "p", .type = 'x'}, "30 path=x\n").File("x", "")),
       TarProblem::kBadExtendedHeader},
      {"pax header without its entry", whole(Started().Pax({{"path", "x"}})),
       TarProblem::kBadExtendedHeader},
      {"name given twice", whole(Started().File("good.txt", "evil")), TarProblem::kDuplicateName},
      {"file where a folder must be", whole(Started().File("good.txt/x", "x")),
       TarProblem::kDuplicateName},
      {"gzip cut short", cutGzip, TarProblem::kBadCompression},
      {"not gzip", notGzip, TarProblem::kBadCompression},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PackageArchive read = ReadPackageArchive(c.archive);
    ASSERT_TRUE(read.fault.has_value());
    EXPECT_EQ(read.fault->problem, c.problem) << read.fault->Text();
    EXPECT_TRUE(read.entries.empty());

    PackageRig rig;
    testing::WriteTextFile(rig.Program() + "/pacetta", "running version");
    const PackageInstallReport report = rig.Install(c.archive);
    EXPECT_EQ(report.stage, InstallStage::kArchive);
    EXPECT_EQ(report.detail, read.fault->Text());
    EXPECT_EQ(Snapshot(rig.Program()),
              (std::map<std::string, std::string>{{"pacetta", "running version"}}));
    EXPECT_TRUE(Snapshot(rig.Unpack()).empty());
  }
}

TEST(PackageArchive, AGoodArchiveIsUnpackedExactly) {
  const std::string deepName = "share/pacetta/" + std::string(120, 'p') + "/notes.txt";
  const std::string gnuName = "share/" + std::string(150, 'g');
  const std::string block(512, 'b');
  TarWriter tar;
  tar.Folder("./")
      .Folder("./bin/")
      .File("./bin/pacetta", "#!program", 0775)
      .File("README", "read me")
      .Pax({{"path", deepName}, {"mtime", "1700000000.5"}, {"uname", "builder"}})
      .File("placeholder-overridden-by-pax", "deep")
      .LongName(gnuName)
      .File("placeholder-overridden-by-long-name", "gnu")
      .Entry({.name = "long-prefix.txt", .prefix = "lib/" + std::string(100, 'q')}, "prefixed")
      .Folder("empty/")
      .File("zero", "")
      .File("block", block)
      .File("block-and-one", block + "1");
  const std::string whole = tar.Finish();
  // gzip reads members written one after another as one stream.
  Bytes package = Gzip(whole.substr(0, 3000));
  const Bytes rest = Gzip(whole.substr(3000));
  package.insert(package.end(), rest.begin(), rest.end());

  PackageRig rig;
  const ScopedUmask mask(077);
  const PackageInstallReport report = rig.Install(package);
  ASSERT_TRUE(report.Installed()) << report.detail;
  const std::map<std::string, std::string> expected{
      {"bin", "<dir>"},
      {"bin/pacetta", "#!program (x)"},
      {"README", "read me"},
      {"share", "<dir>"},
      {"share/pacetta", "<dir>"},
      {"share/pacetta/" + std::string(120, 'p'), "<dir>"},
      {deepName, "deep"},
      {gnuName, "gnu"},
      {"lib", "<dir>"},
      {"lib/" + std::string(100, 'q'), "<dir>"},
      {"lib/" + std::string(100, 'q') + "/long-prefix.txt", "prefixed"},
      {"empty", "<dir>"},
      {"zero", ""},
      {"block", block},
      {"block-and-one", block + "1"},
  };
  EXPECT_EQ(Snapshot(rig.Program()), expected);
  struct stat info {};
  ASSERT_EQ(stat((rig.Program() + "/bin/pacetta").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0755u);
  ASSERT_EQ(stat((rig.Program() + "/README").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_TRUE(Snapshot(rig.Unpack()).empty());
}

}  // namespace
}  // namespace pacetta::updates
