#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace pacetta::ich {

// The power-management options of the LPC bridge's configuration space, in the order the
// settings write them (ICH4-M/ICH6-M/ICH7-M/ICH8-M datasheets: GEN_PMCON_1 A0h, 16-bit;
// GEN_PMCON_2 A2h; A8h, the CPUSLP# to STPCLK# delay; C_STATE_CNF A9h; C5_EXIT_TIMING AAh).
enum class Field : uint32_t {
  kC4OnC3,            // A0h bit 7
  kCpuSlpInC3,        // A0h bit 5, ICH4 and ICH4-M
  kCpuSlpInS1,        // A0h bit 5 from ICH6 on
  kC4InS1M,           // A0h bit 8
  kPopdown,           // A9h bit 4
  kPopup,             // A9h bits 3:2, both or neither
  kC4Disable,         // A0h bit 12
  kC5Enable,          // A0h bit 11
  kSlowC4Exit,        // AAh bit 6
  kPllLockTime,       // A2h bits 6:5
  kCpuSlpToStpclk,    // A8h bits 5:0
  kDpslpToCpuslp,     // AAh bits 1:0
  kDprslpvrToStpcpu,  // AAh bits 3:2
  kSlowC4ExitDelay,   // AAh bits 5:4
  kCount,
};
inline constexpr size_t kFieldCount = static_cast<size_t>(Field::kCount);

struct FieldLayout {
  uint32_t reg;
  unsigned bytes;  // access width: 2 for A0h, else 1
  unsigned shift;
  unsigned bits;
  uint32_t generations;  // bit g: generation g has the field
  // From this generation on the field is no setting: its bit is written back unchanged.
  uint32_t keptFrom = 32;
  // Its value 1 sets every bit of the field (both popup bits), 0 clears them.
  bool allOrNone = false;

  uint32_t Mask() const { return ((1u << bits) - 1) << shift; }
};

const FieldLayout& LayoutOf(Field field);

// The generation reads and writes the field (a field kept unchanged included).
bool Reaches(Field field, uint32_t generation);
// The generation has the field as a setting.
bool HasSetting(Field field, uint32_t generation);

// The field's value in a register image, and the image with `value` (cut to the field) in
// the field.
uint32_t Extract(Field field, uint32_t image);
uint32_t Insert(Field field, uint32_t image, uint32_t value);

// The "DPRSLPVR to STPCPU# delay" list's entries: the 34..40 us one on ICH7-M and ICH8-M.
uint32_t DprslpvrEntries(uint32_t generation);

}  // namespace pacetta::ich
