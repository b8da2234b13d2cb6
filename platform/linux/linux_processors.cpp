#include "platform/linux/linux_processors.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>

namespace pacetta::linux_os {
namespace {

uint64_t MaskOf(const cpu_set_t& set) {
  uint64_t mask = 0;
  for (unsigned k = 0; k < 64; ++k) {
    if (CPU_ISSET(k, &set)) mask |= uint64_t{1} << k;
  }
  return mask;
}

}  // namespace

unsigned LinuxProcessors::SystemCount() {
  const long configured = sysconf(_SC_NPROCESSORS_CONF);
  return configured > 0 ? static_cast<unsigned>(configured) : 1;
}

uint64_t LinuxProcessors::SystemAffinityMask() {
  const unsigned count = std::min(SystemCount(), 64u);
  return count == 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
}

uint64_t LinuxProcessors::ProcessAffinityMask() {
  // The process mask is the main thread's, which equals the process id's.
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(getpid(), sizeof(set), &set) != 0) return 0;
  return MaskOf(set);
}

bool LinuxProcessors::SetThreadAffinity(uint64_t mask) {
  cpu_set_t set;
  CPU_ZERO(&set);
  for (unsigned k = 0; k < 64; ++k) {
    if (mask & (uint64_t{1} << k)) CPU_SET(k, &set);
  }
  return pthread_setaffinity_np(pthread_self(), sizeof(set), &set) == 0;
}

void LinuxProcessors::YieldThread() {
  sched_yield();
}

unsigned LinuxProcessors::CurrentProcessor() {
  const int cpu = sched_getcpu();
  return cpu >= 0 ? static_cast<unsigned>(cpu) : 0;
}

}  // namespace pacetta::linux_os
