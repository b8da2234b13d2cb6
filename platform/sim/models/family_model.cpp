#include "platform/sim/models/family_model.h"

namespace pacetta::sim {

MsrAccess FamilyModel::Read(MsrContext&, uint32_t index, uint64_t& value) {
  std::lock_guard lock(mutex_);
  const uint64_t now = Now();
  Settle(now);
  const MsrAccess access = ReadLocked(index, value);
  PublishLocked(now);
  return access;
}

MsrAccess FamilyModel::Write(MsrContext& context, uint32_t index, uint64_t value) {
  std::lock_guard lock(mutex_);
  const uint64_t now = Now();
  Settle(now);
  const MsrAccess access = WriteLocked(context, index, value);
  PublishLocked(now);
  return access;
}

ModelState FamilyModel::State() {
  std::lock_guard lock(mutex_);
  const uint64_t now = Now();
  Settle(now);
  PublishLocked(now);
  return StateLocked();
}

std::optional<platform::CpuidResult> FamilyModel::Leaf(uint32_t leaf) {
  std::lock_guard lock(mutex_);
  const uint64_t now = Now();
  Settle(now);
  PublishLocked(now);
  return LeafLocked(leaf);
}

void FamilyModel::SetStateListener(StateListener listener) {
  std::lock_guard lock(mutex_);
  const uint64_t now = Now();
  Settle(now);
  listener_ = std::move(listener);
  published_ = StateLocked();
  if (listener_) listener_(now, published_);
}

void FamilyModel::ChangeState(const std::function<void()>& change) {
  std::lock_guard lock(mutex_);
  const uint64_t now = Now();
  Settle(now);
  change();
  PublishLocked(now);
}

void FamilyModel::PublishLocked(uint64_t nowNs) {
  if (!listener_) return;
  ModelState state = StateLocked();
  if (state == published_) return;
  published_ = std::move(state);
  listener_(nowNs, published_);
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
