#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta {

// The vendors the program has code for, numbered as the rest of the program uses them.
enum class VendorCode : uint32_t {
  kOther = 0,
  kAmd = 1,        // "AuthenticAMD"
  kIntel = 2,      // "GenuineIntel"
  kTransmeta = 3,  // "GenuineTMx86"
  kVia = 4,        // "CentaurHauls"
};

// From the vendor string of leaf 0 (EBX, EDX, ECX).
VendorCode GetVendorCode(const CpuInfo& info);

}  // namespace pacetta
