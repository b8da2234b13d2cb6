#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "platform/update_files.h"

namespace pacetta::updates {

// Where an update package and its install live.
struct PackagePaths {
  std::string package;        // NAME.tar.gz
  std::string signature;      // NAME.tar.gz.sig: the 64 signature bytes
  std::string unpackFolder;   // scratch space on the program folder's volume
  std::string programFolder;  // where the program's files are
  // A name at the top of the program folder that the package must not bring: the folder
  // the download and the unpacking happen in.
  std::string reservedName;
};

// How far an install got: the stage it stopped at, or kInstalled.
enum class InstallStage { kRead, kSignature, kArchive, kUnpack, kPlan, kInstall, kInstalled };

struct PackageInstallReport {
  InstallStage stage = InstallStage::kRead;
  std::string detail;  // why it stopped, in English for the log
  bool Installed() const { return stage == InstallStage::kInstalled; }
};

// Installs a downloaded package: reads it once, checks its signature against `publicKey`
// over exactly the bytes it then unpacks, validates the whole archive before writing
// anything, unpacks it into the unpack folder and moves its files into the program folder
// (see PlanInstall). Whatever happens, the unpack folder is removed at the end, and a
// failed install leaves the program folder as it was. Nothing of the package is run.
PackageInstallReport InstallPackage(platform::UpdateFiles& files,
                                    std::span<const uint8_t> publicKey, const PackagePaths& paths);

}  // namespace pacetta::updates
