#include "cpu/identify/vendor.h"

#include <array>

namespace pacetta {

namespace {

// The vendor strings as leaf 0 returns them: EBX, EDX, ECX, four characters each,
// lowest byte first.
struct VendorString {
  uint32_t ebx, edx, ecx;
  VendorCode code;
};

constexpr std::array<VendorString, 4> kVendors{{
    {0x68747541u, 0x69746E65u, 0x444D4163u, VendorCode::kAmd},        // Auth enti cAMD
    {0x756E6547u, 0x49656E69u, 0x6C65746Eu, VendorCode::kIntel},      // Genu ineI ntel
    {0x756E6547u, 0x54656E69u, 0x3638784Du, VendorCode::kTransmeta},  // Genu ineT Mx86
    {0x746E6543u, 0x48727561u, 0x736C7561u, VendorCode::kVia},        // Cent aurH auls
}};

}  // namespace

VendorCode GetVendorCode(const CpuInfo& info) {
  const platform::CpuidResult& leaf0 = info.standardLeaves[0];
  for (const VendorString& vendor : kVendors) {
    if (leaf0.ebx == vendor.ebx && leaf0.edx == vendor.edx && leaf0.ecx == vendor.ecx)
      return vendor.code;
  }
  return VendorCode::kOther;
}

}  // namespace pacetta
