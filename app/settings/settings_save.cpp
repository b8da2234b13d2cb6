#include "app/settings/app_settings.h"
#include "app/settings/cpuid_stamp.h"
#include "app/settings/registry_values.h"
#include "app/startup/startup.h"

namespace pacetta {
namespace {

bool WriteBytes(platform::RegistryKey& key, const char* name,
                const std::optional<std::vector<uint8_t>>& bytes) {
  return !bytes || key.WriteBinary(name, *bytes);
}

}  // namespace

bool AppSettings::Save(platform::Registry& registry, const SettingsSaveContext& context) {
  const auto key = registry.OpenUserKey(kSettingsKeyPath, true);
  if (!key) return false;
  const CpuInfo& cpu = context.processor0;
  RegistryValueWriter writer(*key);
  SettingsVisitor& v = writer;

  // The stamps first: they decide how much of the rest the next start trusts.
  writer.Word("ProgramVersion", kProgramVersion);
  bool ok = key->WriteBinary("CPUID", BuildCpuidStamp(cpu));

  v.Boolean("ManageOsPowerSettings", management.manageOsPowerSettings);
  VisitGeneralValues(v, *this);
  VisitColors(v, colors);
  VisitWindowPlace(v, window);

  if (context.managementAllowed) {
    v.Boolean("AutoAdjustVid", management.autoAdjustVid);
    ProfileSaveOptions options;
    options.k8MethodChanged = cpu.isK8 && family.k8.pstMethod != derived.k8PstMethodAtLoad;
    const StoredProfileData stored = profiles.Save(options);
    ok = WriteBytes(*key, "PStatesData", stored.pstatesData) && ok;
    ok = WriteBytes(*key, "ProfileData", stored.profileData) && ok;
    ok = WriteBytes(*key, "ProfileExtData", stored.profileExtData) && ok;
    // The stored selection: choices made during the run are not kept.
    v.Plain("ProfileAC", management.profileAc);
    v.Plain("ProfileDC", management.profileDc);
    VisitSuspendAndDefaults(v, *this);
  }

  v.Boolean("RememberAdvanced", rememberAdvanced);
  VisitK8Values(v, *this, cpu);
  VisitIntelBasics(v, *this, cpu);
  if (rememberAdvanced) VisitAdvancedValues(v, *this, cpu);
  // Kept in the processor records, where the pages change them; read back at start-up.
  if (cpu.isK7)
    writer.Word("AMDK7.DesktopVids", static_cast<uint32_t>(cpu.switches.amdK7DesktopVids));
  if (cpu.isCore2) {
    writer.Word("IntelCore2.CpuType", static_cast<uint32_t>(cpu.switches.intelCore2CpuType));
  }
  return key->Flush() && writer.Ok() && ok;
}

}  // namespace pacetta
