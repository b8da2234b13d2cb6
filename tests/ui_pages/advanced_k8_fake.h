#pragma once
// The K8's advanced settings as the page sees them: facts, hardware and stored values a
// test sets, and every call the page makes recorded.
#include <string>
#include <vector>

#include "app/advanced/k8_advanced.h"

namespace pacetta::ui::testing {

class FakeK8Advanced final : public K8Advanced {
 public:
  struct Applied {
    k8::CpuSetup setup;
    k8::RestartValues restart;
    bool rememberAdvanced = false;
  };

  void ApplyStored() override { calls.push_back("ApplyStored"); }
  void Reapply() override { calls.push_back("Reapply"); }
  K8PageFacts Facts() const override { return facts; }
  k8::CpuSetup ReadHardware() override {
    calls.push_back("ReadHardware");
    return hardware;
  }
  k8::RestartValues StoredRestartValues() const override { return stored; }
  bool RememberAdvanced() const override { return remember; }
  bool Apply(const k8::CpuSetup& setup, const k8::RestartValues& restart,
             bool rememberAdvanced) override {
    calls.push_back("Apply");
    applied.push_back({setup, restart, rememberAdvanced});
    return restartValueChanged;
  }

  K8PageFacts facts;
  k8::CpuSetup hardware;
  k8::RestartValues stored;
  bool remember = false;
  bool restartValueChanged = false;  // Apply's answer
  std::vector<std::string> calls;
  std::vector<Applied> applied;
};

}  // namespace pacetta::ui::testing
