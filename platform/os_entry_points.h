#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace pacetta::platform {

// Idle, kernel and user time of one processor since boot, in 100-ns units. Kernel time
// includes idle time, as the load formula expects.
struct ProcessorTimes {
  int64_t idle = 0;
  int64_t kernel = 0;
  int64_t user = 0;
};

// Entry points that not every system has. An implementation without one of them
// answers with that entry's failure value.
class OsEntryPoints {
 public:
  virtual ~OsEntryPoints() = default;
  virtual bool HasProcessorTimes() = 0;
  // Fills one record per processor (times.size() processors); 0 on success.
  virtual int32_t QueryProcessorTimes(std::span<ProcessorTimes> times) = 0;
  virtual bool HasPerformanceCounter() = 0;
  // The high-resolution counter and its frequency; 0 on success.
  virtual int32_t QueryPerformanceCounter(int64_t& counter, int64_t& frequency) = 0;
  virtual bool HasMessageFilter() = 0;
  // Lets `message` through the user-interface privilege filter; true on success.
  virtual bool ChangeMessageFilter(const std::string& message, uint32_t action) = 0;
};

}  // namespace pacetta::platform
