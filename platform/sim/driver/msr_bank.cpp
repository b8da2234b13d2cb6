#include "platform/sim/driver/msr_bank.h"

namespace pacetta::sim {

std::optional<uint64_t> MsrStorage::Get(uint32_t index) const {
  const auto found = registers_.find(index);
  if (found == registers_.end()) return std::nullopt;
  return found->second;
}

bool MsrStorage::Set(uint32_t index, uint64_t value) {
  const auto found = registers_.find(index);
  if (found == registers_.end()) return false;
  found->second = value;
  return true;
}

MsrBank::MsrBank(unsigned processor, std::map<uint32_t, uint64_t> startValues,
                 ViolationLog& violations)
    : processor_(processor), violations_(violations), storage_(std::move(startValues)) {}

bool MsrBank::ReadLocked(uint32_t index, uint64_t& value) {
  MsrContext context{processor_, storage_, violations_};
  for (const auto& handler : handlers_) {
    const MsrAccess access = handler->Read(context, index, value);
    if (access != MsrAccess::kNotHandled) return access == MsrAccess::kDone;
  }
  const auto stored = storage_.Get(index);
  if (!stored) return false;
  value = *stored;
  return true;
}

bool MsrBank::Read(uint32_t index, uint64_t& value) {
  std::lock_guard lock(mutex_);
  return ReadLocked(index, value);
}

bool MsrBank::Write(uint32_t index, uint64_t value) {
  std::lock_guard lock(mutex_);
  MsrContext context{processor_, storage_, violations_};
  for (const auto& handler : handlers_) {
    const MsrAccess access = handler->Write(context, index, value);
    if (access != MsrAccess::kNotHandled) return access == MsrAccess::kDone;
  }
  return storage_.Set(index, value);
}

void MsrBank::AddHandler(std::shared_ptr<MsrHandler> handler) {
  std::lock_guard lock(mutex_);
  handlers_.push_back(std::move(handler));
}

void MsrBank::SetPerformanceCounterBase(std::optional<uint32_t> base) {
  std::lock_guard lock(mutex_);
  counterBase_ = base;
}

bool MsrBank::ReadPerformanceCounter(uint32_t counter, uint64_t& value) {
  std::lock_guard lock(mutex_);
  if (!counterBase_) return false;
  return ReadLocked(*counterBase_ + counter, value);
}

}  // namespace pacetta::sim
