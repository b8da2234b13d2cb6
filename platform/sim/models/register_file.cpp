#include "platform/sim/models/register_file.h"

namespace pacetta::sim {

void RegisterFile::Define(uint32_t index, uint64_t value, uint64_t writableMask) {
  registers_[index] = Register{value, writableMask};
}

std::optional<uint64_t> RegisterFile::Get(uint32_t index) const {
  const auto found = registers_.find(index);
  if (found == registers_.end()) return std::nullopt;
  return found->second.value;
}

bool RegisterFile::Set(uint32_t index, uint64_t value) {
  const auto found = registers_.find(index);
  if (found == registers_.end()) return false;
  found->second.value = value;
  return true;
}

MsrAccess RegisterFile::Read(uint32_t index, uint64_t& value) const {
  const auto found = registers_.find(index);
  if (found == registers_.end()) return MsrAccess::kNotHandled;
  value = found->second.value;
  return MsrAccess::kDone;
}

MsrAccess RegisterFile::Write(uint32_t index, uint64_t value) {
  const auto found = registers_.find(index);
  if (found == registers_.end()) return MsrAccess::kNotHandled;
  Register& reg = found->second;
  if (reg.writable == 0) return MsrAccess::kFault;
  reg.value = (reg.value & ~reg.writable) | (value & reg.writable);
  return MsrAccess::kDone;
}

}  // namespace pacetta::sim
