#pragma once
#include <cstdint>
#include <limits>

namespace pacetta::sim {

// The work a processor has at one moment, constant until `untilNs`.
struct LoadSlice {
  double busy = 0;         // share of the time the operating system runs something
  double kernelShare = 0;  // share of the busy time spent in kernel mode
  uint64_t untilNs = std::numeric_limits<uint64_t>::max();
};

// Where the machine's work comes from: scripted phases or the host's own load.
// Called from any processor's thread.
class LoadSource {
 public:
  virtual ~LoadSource() = default;
  virtual LoadSlice At(unsigned processor, uint64_t ns) = 0;
};

}  // namespace pacetta::sim
