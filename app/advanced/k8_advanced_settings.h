#pragma once
#include <optional>
#include <span>

#include "app/advanced/k8_advanced.h"
#include "cpu/advanced/k8/k8_setup_images.h"

namespace pacetta {

// The K8's advanced settings on the running program's settings: the "CPU setup" values
// reach every node's northbridge only once applied (or taken from the store at start),
// and only those are written again after a power-source change or a resume.
class K8AdvancedSettings final : public K8Advanced {
 public:
  K8AdvancedSettings(CK8Northbridge& northbridge, std::span<const CpuInfo> cpus,
                     AppSettings& settings);

  void ApplyStored() override;
  void Reapply() override;
  K8PageFacts Facts() const override;
  k8::CpuSetup ReadHardware() override;
  k8::RestartValues StoredRestartValues() const override;
  bool RememberAdvanced() const override;
  bool Apply(const k8::CpuSetup& setup, const k8::RestartValues& restart,
             bool rememberAdvanced) override;

 private:
  k8::SetupImages StoredImages() const;
  void Store(const k8::SetupImages& images);
  void StoreRestartValues(const k8::RestartValues& restart);

  CK8Northbridge& northbridge_;
  std::span<const CpuInfo> cpus_;
  AppSettings& settings_;
  // What was applied last; none until something is.
  std::optional<k8::CpuSetup> applied_;
};

}  // namespace pacetta
