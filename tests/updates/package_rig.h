#pragma once
#include <sys/stat.h>

#include <string>

#include "platform/linux/update_files.h"
#include "tests/test_support/temp_folder.h"
#include "tests/updates/test_packages.h"
#include "updates/package_install.h"

namespace pacetta::updates::testing {

// A download folder, an unpack folder and a program folder side by side, and the
// publisher's key to sign packages with.
class PackageRig {
 public:
  PackageRig() : signer_(7) {
    mkdir(paths_.programFolder.c_str(), 0755);
    mkdir(download_.c_str(), 0755);
  }

  // Writes `package` and its signature as a download; the paths to install it.
  const PackagePaths& Publish(const Bytes& package) {
    WriteTextFile(paths_.package, std::string(package.begin(), package.end()));
    const Bytes signature = signer_.Sign(package);
    WriteTextFile(paths_.signature, std::string(signature.begin(), signature.end()));
    return paths_;
  }
  PackageInstallReport Install(const Bytes& package) {
    return InstallPackage(files_, signer_.PublicKey(), Publish(package));
  }

  const PackagePaths& Paths() const { return paths_; }
  const std::string& Program() const { return paths_.programFolder; }
  const std::string& Unpack() const { return paths_.unpackFolder; }
  std::string Outside(const std::string& name) const { return folder_.File(name); }
  linux_os::LinuxUpdateFiles& Files() { return files_; }

 private:
  pacetta::testing::TempFolder folder_;
  std::string download_ = folder_.File("download");
  PackagePaths paths_{download_ + "/update.tar.gz",
                      download_ + "/update.tar.gz.sig",
                      folder_.File("unpack"),
                      folder_.File("program"),
                      {}};
  TestSigner signer_;
  linux_os::LinuxUpdateFiles files_;
};

}  // namespace pacetta::updates::testing
