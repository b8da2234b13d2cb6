#pragma once
// The Intel-style advanced settings and the Centrino hub as the pages see them: facts,
// hardware and stored values a test sets, and every call the pages make recorded.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/advanced/intel_advanced.h"

namespace pacetta::ui::testing {

class FakeCentrinoChipset final : public CentrinoChipset {
 public:
  const ChipsetIdentity& Identity() const override { return identity; }
  bool Has(IchOption option) const override { return has[static_cast<size_t>(option)]; }
  uint32_t DprslpvrEntryCount() const override { return dprslpvrEntries; }
  ChipsetValues Read() override { return hardware; }
  std::optional<bool> ThrottlingActive() override { return active; }
  // The page hands its values to IntelAdvanced::Apply; it never writes or stores itself.
  void Write(const ChipsetValues&) override { ADD_FAILURE() << "the page wrote the hub"; }
  // The hardware with the stored lock, the one value the hub does not hold.
  ChipsetValues FromStored(const std::array<int32_t, kCentrinoSettingCount>&) override {
    ChipsetValues values = hardware;
    values.throttleLock = storedLock;
    return values;
  }
  void Store(const ChipsetValues&, std::array<int32_t, kCentrinoSettingCount>&) const override {
    ADD_FAILURE() << "the page stored values";
  }

  ChipsetIdentity identity;
  std::array<bool, kIchOptionCount> has{};
  uint32_t dprslpvrEntries = 2;
  ChipsetValues hardware;
  std::optional<bool> active;
  bool storedLock = false;
};

class FakeIntelAdvanced final : public IntelAdvanced {
 public:
  struct Applied {
    IntelProcessorValues values;
    ChipsetValues chipset;
    IntelRestartValues restart;
    bool rememberAdvanced = false;
  };

  void ApplyStored() override { calls.push_back("ApplyStored"); }
  void Reapply() override { calls.push_back("Reapply"); }
  IntelPageFacts Facts() const override { return facts; }
  std::optional<IntelProcessorValues> ReadHardware() override {
    calls.push_back("ReadHardware");
    return hardware;
  }
  IntelRestartValues StoredRestartValues() const override { return stored; }
  bool RememberAdvanced() const override { return remember; }
  bool Apply(const IntelProcessorValues& values, const ChipsetValues& chipsetValues,
             const IntelRestartValues& restart, bool rememberAdvanced) override {
    calls.push_back("Apply");
    applied.push_back({values, chipsetValues, restart, rememberAdvanced});
    return restartValueChanged;
  }
  CentrinoChipset* Chipset() override { return chipset; }
  void KeepForNextStart() override { calls.push_back("KeepForNextStart"); }

  IntelPageFacts facts;
  std::optional<IntelProcessorValues> hardware = IntelProcessorValues{};
  IntelRestartValues stored;
  bool remember = false;
  bool restartValueChanged = false;  // Apply's answer
  CentrinoChipset* chipset = nullptr;
  std::vector<std::string> calls;
  std::vector<Applied> applied;
};

}  // namespace pacetta::ui::testing
