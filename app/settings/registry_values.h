#pragma once
#include "app/settings/settings_validity.h"
#include "app/settings/settings_visitor.h"
#include "platform/registry.h"

namespace pacetta {

// Reads each visited value that is stored as a 32-bit word and applies its rule; a value
// that is missing or stored as bytes leaves the field as it is.
class RegistryValueReader final : public SettingsVisitor {
 public:
  RegistryValueReader(platform::RegistryKey& key, const SettingsValidity& validity)
      : key_(key), validity_(validity) {}

  bool Allows(SettingsGroup group) const override { return validity_.Allows(group); }
  void Plain(const char* name, int32_t& value, Stored stored) override;
  void Boolean(const char* name, int32_t& value, Stored stored) override;
  void Clamped(const char* name, int32_t& value, int32_t lowest, int32_t highest,
               Stored stored) override;
  void Choice(const char* name, int32_t& value, int32_t lowest, int32_t highest) override;
  void Color(const char* name, uint32_t& value) override;

 private:
  platform::RegistryKey& key_;
  const SettingsValidity& validity_;
};

// Writes each visited value that the save stores; every group is written. Ok() is false
// once any write failed.
class RegistryValueWriter final : public SettingsVisitor {
 public:
  explicit RegistryValueWriter(platform::RegistryKey& key) : key_(key) {}

  bool Allows(SettingsGroup) const override { return true; }
  void Plain(const char* name, int32_t& value, Stored stored) override;
  void Boolean(const char* name, int32_t& value, Stored stored) override;
  void Clamped(const char* name, int32_t& value, int32_t lowest, int32_t highest,
               Stored stored) override;
  void Choice(const char* name, int32_t& value, int32_t lowest, int32_t highest) override;
  void Color(const char* name, uint32_t& value) override;

  void Word(const char* name, uint32_t value);
  bool Ok() const { return ok_; }

 private:
  platform::RegistryKey& key_;
  bool ok_ = true;
};

}  // namespace pacetta
