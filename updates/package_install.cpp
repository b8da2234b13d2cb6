#include "updates/package_install.h"

#include "updates/install_plan.h"
#include "updates/package_archive.h"
#include "updates/package_signature.h"

namespace pacetta::updates {
namespace {

PackageInstallReport Stop(InstallStage stage, std::string detail) {
  return {stage, std::move(detail)};
}

PackageInstallReport Install(platform::UpdateFiles& files, std::span<const uint8_t> publicKey,
                             const PackagePaths& paths) {
  // One byte more than a signature, so that a longer file is refused for its length.
  const auto signature = files.ReadWhole(paths.signature, kSignatureBytes + 1);
  if (!signature) return Stop(InstallStage::kRead, "cannot read " + paths.signature);
  const auto package = files.ReadWhole(paths.package, kMaxPackageBytes);
  if (!package) return Stop(InstallStage::kRead, "cannot read " + paths.package);
  const SignatureCheck check = CheckPackageSignature(publicKey, *package, *signature);
  if (check != SignatureCheck::kValid) {
    return Stop(InstallStage::kSignature, std::string(SignatureCheckText(check)));
  }
  const PackageArchive archive = ReadPackageArchive(*package);
  if (archive.fault) return Stop(InstallStage::kArchive, archive.fault->Text());

  std::string detail;
  const auto items = UnpackItemsOf(archive.entries);
  if (!files.Unpack(paths.unpackFolder, items, detail)) {
    return Stop(InstallStage::kUnpack, detail);
  }
  const auto unpacked = files.List(paths.unpackFolder);
  auto program = files.List(paths.programFolder);
  if (!unpacked || !program) return Stop(InstallStage::kPlan, "cannot list the folders");
  if (!paths.reservedName.empty()) {
    for (const auto* names : {&unpacked->files, &unpacked->folders}) {
      for (const std::string& name : *names) {
        if (name == paths.reservedName || name.starts_with(paths.reservedName + "/")) {
          return Stop(InstallStage::kPlan, "the package brings " + name + ", a name of its own");
        }
      }
    }
    // The download's own folder is no program file for the plan to back up or replace.
    std::erase_if(program->files, [&paths](const std::string& name) {
      return name.starts_with(paths.reservedName + "/");
    });
    std::erase_if(program->folders, [&paths](const std::string& name) {
      return name == paths.reservedName || name.starts_with(paths.reservedName + "/");
    });
  }
  const InstallPlan plan = PlanInstall(*unpacked, *program);
  if (plan.refusal) return Stop(InstallStage::kPlan, *plan.refusal);
  const platform::InstallOutcome outcome =
      files.Install(paths.unpackFolder, paths.programFolder, plan.steps);
  if (outcome.result != platform::InstallOutcome::Result::kInstalled) {
    return Stop(InstallStage::kInstall, outcome.detail);
  }
  return Stop(InstallStage::kInstalled, "");
}

}  // namespace

PackageInstallReport InstallPackage(platform::UpdateFiles& files,
                                    std::span<const uint8_t> publicKey, const PackagePaths& paths) {
  PackageInstallReport report = Install(files, publicKey, paths);
  // The unpack folder holds what was not installed and the backups an install replaced.
  if (!files.RemoveTree(paths.unpackFolder) && report.Installed()) {
    report.detail = "the unpack folder " + paths.unpackFolder + " stays behind";
  }
  return report;
}

}  // namespace pacetta::updates
