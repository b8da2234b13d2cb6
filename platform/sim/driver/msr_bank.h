#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/sim/driver/violation_log.h"

namespace pacetta::sim {

// Model-specific registers of one processor as the driver reaches them. A register that
// is not present fails (a real read or write of it raises a protection fault).
class MsrDevice {
 public:
  virtual ~MsrDevice() = default;
  virtual bool Read(uint32_t index, uint64_t& value) = 0;
  virtual bool Write(uint32_t index, uint64_t value) = 0;
};

// Registers that hold what was written: the processor's start values and whatever a
// family model adds.
class MsrStorage {
 public:
  explicit MsrStorage(std::map<uint32_t, uint64_t> registers) : registers_(std::move(registers)) {}
  bool Has(uint32_t index) const { return registers_.contains(index); }
  std::optional<uint64_t> Get(uint32_t index) const;
  // False when the register is not present.
  bool Set(uint32_t index, uint64_t value);
  // Makes a register present (or replaces its value).
  void Add(uint32_t index, uint64_t value) { registers_[index] = value; }
  void Remove(uint32_t index) { registers_.erase(index); }

 private:
  std::map<uint32_t, uint64_t> registers_;
};

enum class MsrAccess {
  kNotHandled,  // not this handler's register: ask the next one, then the storage
  kDone,
  kFault,  // the register refuses the access
};

// What a register handler works with; handlers run under the bank's lock, so they use
// the storage directly and never call back into the bank.
struct MsrContext {
  unsigned processor;
  MsrStorage& storage;
  ViolationLog& violations;
};

// A family model's registers (FID/VID control and status, performance control, thermal
// status...). Handlers are consulted in the order they were added, before the storage.
class MsrHandler {
 public:
  virtual ~MsrHandler() = default;
  virtual MsrAccess Read(MsrContext& context, uint32_t index, uint64_t& value) = 0;
  virtual MsrAccess Write(MsrContext& context, uint32_t index, uint64_t value) = 0;
};

// The registers of one simulated processor. Safe to use from several threads.
class MsrBank : public MsrDevice {
 public:
  MsrBank(unsigned processor, std::map<uint32_t, uint64_t> startValues, ViolationLog& violations);

  bool Read(uint32_t index, uint64_t& value) override;
  bool Write(uint32_t index, uint64_t value) override;

  void AddHandler(std::shared_ptr<MsrHandler> handler);
  // Runs `work` on the storage under the bank's lock (set-up and inspection by models
  // and tests).
  template <class Work>
  auto WithStorage(Work&& work) {
    std::lock_guard lock(mutex_);
    return work(storage_);
  }

  // The family's performance counters are registers `base + n`; without a base the
  // processor has no counters the driver can read.
  void SetPerformanceCounterBase(std::optional<uint32_t> base);
  bool ReadPerformanceCounter(uint32_t counter, uint64_t& value);

  unsigned Processor() const { return processor_; }

 private:
  bool ReadLocked(uint32_t index, uint64_t& value);

  const unsigned processor_;
  ViolationLog& violations_;
  std::mutex mutex_;
  MsrStorage storage_;
  std::vector<std::shared_ptr<MsrHandler>> handlers_;
  std::optional<uint32_t> counterBase_;
};

}  // namespace pacetta::sim
