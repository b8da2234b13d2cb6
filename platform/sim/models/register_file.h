#pragma once
#include <cstdint>
#include <map>
#include <optional>

#include "platform/sim/driver/msr_bank.h"

namespace pacetta::sim {

// Configuration and identification registers of one processor with the access rules of
// the part: bits outside the writable mask are the hardware's and keep their value when
// software writes the register; a register with nothing writable is read-only, and a write
// to it raises a protection fault as on the real part.
class RegisterFile {
 public:
  void Define(uint32_t index, uint64_t value, uint64_t writableMask);
  bool Has(uint32_t index) const { return registers_.contains(index); }
  std::optional<uint64_t> Get(uint32_t index) const;
  // The hardware's own update (read-only bits included); false when not defined.
  bool Set(uint32_t index, uint64_t value);

  MsrAccess Read(uint32_t index, uint64_t& value) const;
  MsrAccess Write(uint32_t index, uint64_t value);

 private:
  struct Register {
    uint64_t value;
    uint64_t writable;
  };
  std::map<uint32_t, Register> registers_;
};

}  // namespace pacetta::sim
