// The performance-state table and the profiles as stored in the settings ("PStatesData",
// "ProfileData", "ProfileExtData"), loaded by the profile store for one of the sample
// processors, and each record decoded on its own.
#include <fuzzer/FuzzedDataProvider.h>

#include "engine/profiles/profile_records.h"
#include "engine/profiles/profile_store.h"
#include "engine/profiles/pstates_data.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/profile_checks.h"
#include "fuzz/sample_processors.h"

namespace pacetta::fuzz {
namespace {

std::optional<std::vector<uint8_t>> MaybeBytes(FuzzedDataProvider& input) {
  if (!input.ConsumeBool()) return std::nullopt;
  return input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 16 * 1024));
}

// A record decodes to a profile whose record decodes to the same profile again: the
// stored form keeps everything a decoded profile holds (entries past a list's end are
// not part of it, and are written as zeros).
void CheckRecords(std::span<const uint8_t> records) {
  for (; records.size() >= kProfileRecordSize; records = records.subspan(kProfileRecordSize)) {
    Profile first;
    FUZZ_CHECK(UnpackProfileRecord(records, first));
    std::vector<uint8_t> packed;
    PackProfileRecord(first, packed);
    FUZZ_CHECK(packed.size() == kProfileRecordSize);
    Profile second;
    FUZZ_CHECK(UnpackProfileRecord(packed, second));
    std::vector<uint8_t> repacked;
    PackProfileRecord(second, repacked);
    FUZZ_CHECK(repacked == packed);
  }
  Profile untouched;
  FUZZ_CHECK(!UnpackProfileRecord(records, untouched));
}

void CheckTable(std::span<const uint8_t> bytes) {
  const std::optional<PStateTable> table = UnpackPStatesData(bytes);
  if (!table) return;
  FUZZ_CHECK(table->lastIndex >= 0 && table->lastIndex < kMaxPStates);
  const std::optional<PStateTable> again = UnpackPStatesData(PackPStatesData(*table));
  FUZZ_CHECK(again && again->lastIndex == table->lastIndex);
  for (int32_t row = 0; row <= table->lastIndex; ++row) {
    FUZZ_CHECK(*again->Row(row) == *table->Row(row));
  }
}

}  // namespace
}  // namespace pacetta::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  FuzzedDataProvider input(data, size);
  const CpuInfo& cpu = fuzz::SampleProcessor(input.ConsumeIntegral<uint8_t>());
  const int32_t room = input.ConsumeBool() ? kMaxProfiles : kFixedProfileCount;
  StoredProfileData stored;
  stored.pstatesData = fuzz::MaybeBytes(input);
  stored.profileData = fuzz::MaybeBytes(input);
  stored.profileExtData =
      input.ConsumeBool() ? std::optional(input.ConsumeRemainingBytes<uint8_t>()) : std::nullopt;

  if (stored.pstatesData) fuzz::CheckTable(*stored.pstatesData);
  if (stored.profileData) fuzz::CheckRecords(*stored.profileData);

  ProfileStore store;
  const ProfileLoadReport report = store.Load(stored, cpu, room);
  fuzz::CheckProfileStore(store);
  FUZZ_CHECK(report.profilesRead <= store.Count() && report.recordsKept >= 0);
  // Saved and loaded again, the store saves the same bytes: nothing is lost or changed
  // by a restart.
  ProfileStore reloaded;
  reloaded.Load(store.Save(), cpu, room);
  fuzz::CheckProfileStore(reloaded);
  fuzz::CheckSameSave(store, reloaded);
  return 0;
}
