#include "platform/sim/models/family_model.h"

namespace pacetta::sim {

MsrAccess FamilyModel::Read(MsrContext&, uint32_t index, uint64_t& value) {
  std::lock_guard lock(mutex_);
  Settle(Now());
  return ReadLocked(index, value);
}

MsrAccess FamilyModel::Write(MsrContext& context, uint32_t index, uint64_t value) {
  std::lock_guard lock(mutex_);
  Settle(Now());
  return WriteLocked(context, index, value);
}

ModelState FamilyModel::State() {
  std::lock_guard lock(mutex_);
  Settle(Now());
  return StateLocked();
}

void FamilyModel::Refuse(MsrContext& context, uint32_t index, uint64_t value, std::string reason) {
  context.violations.Append({context.processor, index, value, std::move(reason)});
}

uint64_t StartValue(const std::map<uint32_t, uint64_t>& msrStart, uint32_t index,
                    uint64_t otherwise) {
  const auto found = msrStart.find(index);
  return found == msrStart.end() ? otherwise : found->second;
}

}  // namespace pacetta::sim
