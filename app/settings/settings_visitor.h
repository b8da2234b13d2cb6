#pragma once
#include <cstdint>

#include "app/settings/app_settings.h"

namespace pacetta {

// The parts of the stored settings that are trusted only as far as the version and
// processor stamps allow.
enum class SettingsGroup {
  kGeneral,            // every value not named below; needs a known version
  kProfileSelection,   // "ProfileAC", "ProfileDC"
  kProfiles,           // "ProfileData"
  kK8Method,           // "AMDK8.PSTMethod"
  kProfileExtensions,  // "ProfileExtData"
  kPStateTable,        // "PStatesData"
  kDefaultsOnExit,     // "DefaultsMode", "DefaultFid", "DefaultVid"
};

// Whether a value is written by the save or only read (interval values the user sets by
// hand in the settings file).
enum class Stored { kReadWrite, kReadOnly };

// One walk over named 32-bit values. The load reads each into its field and the save
// writes each from it, so both sides always name the same values with the same rules.
class SettingsVisitor {
 public:
  virtual ~SettingsVisitor() = default;
  virtual bool Allows(SettingsGroup group) const = 0;
  // Any stored value.
  virtual void Plain(const char* name, int32_t& value, Stored stored = Stored::kReadWrite) = 0;
  // Non-zero reads as 1.
  virtual void Boolean(const char* name, int32_t& value, Stored stored = Stored::kReadWrite) = 0;
  // Limited to lowest..highest.
  virtual void Clamped(const char* name, int32_t& value, int32_t lowest, int32_t highest,
                       Stored stored = Stored::kReadWrite) = 0;
  // One of lowest..highest; anything else keeps the default.
  virtual void Choice(const char* name, int32_t& value, int32_t lowest, int32_t highest) = 0;
  // A COLORREF: the top byte is not part of it.
  virtual void Color(const char* name, uint32_t& value) = 0;
};

// The value groups, each in its stored order. `cpu` is processor 0.
void VisitK8Values(SettingsVisitor& visitor, AppSettings& settings, const CpuInfo& cpu);
void VisitIntelBasics(SettingsVisitor& visitor, AppSettings& settings, const CpuInfo& cpu);
void VisitAdvancedValues(SettingsVisitor& visitor, AppSettings& settings, const CpuInfo& cpu);
void VisitSuspendAndDefaults(SettingsVisitor& visitor, AppSettings& settings);
// Intervals, management choices, battery, tray, window and log values.
void VisitGeneralValues(SettingsVisitor& visitor, AppSettings& settings);
void VisitColors(SettingsVisitor& visitor, ColorSettings& colors);
void VisitWindowPlace(SettingsVisitor& visitor, WindowSettings& window);

}  // namespace pacetta
