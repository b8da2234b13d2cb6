#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/driver/trace_file.h"
#include "platform/sim/driver/violation_log.h"

namespace pacetta::sim {

enum class TraceKind {
  kMsrRead,
  kMsrWrite,
  kPortIn,
  kPortOut,
  kPciRead,  // a port access to 0xCFC..0xCFF with the configuration address enabled
  kPciWrite,
  kMap,
  kUnmap,
  kRoutine,  // a kernel routine of the 32-bit driver
  // The kernel's frequency policy: limits (location the policy id, value min kHz in the
  // high half and max kHz in the low), energy preference (the policy id) and boost (value).
  kPolicyLimits,
  kPolicyPreference,
  kPolicyBoost,
};

enum class TraceResult {
  kOk,
  kFailed,    // the register, the driver or the request's buffers refused it
  kInjected,  // a failure that `--sim-fault` asked for
};

// One hardware access as its trace line shows it.
struct TraceAccess {
  TraceKind kind = TraceKind::kMsrRead;
  unsigned processor = 0;
  // MSR index, port, routine number or physical address; a PCI access packs bus 23..16,
  // device and function 15..8 and offset 7..0. Nullopt when the request does not say.
  std::optional<uint64_t> location;
  uint32_t length = 0;            // of a mapped range
  unsigned width = 0;             // bytes of the value
  std::optional<uint64_t> value;  // written, or read; nullopt when a read failed
  TraceResult result = TraceResult::kOk;
};

// The register trace of a simulated PC (`--sim-trace`, docs/simulated-trace.md): one
// line per hardware access, with the violations that access caused, written as it
// happens. Safe to use from several threads. A failed write ends the trace with one
// notice; the program goes on.
class RegisterTrace {
 public:
  static constexpr int kFormatVersion = 1;

  // Writes the header at once. `clockNs`: the simulated PC's clock; `notices`: where the
  // notice of a failed write goes.
  RegisterTrace(std::unique_ptr<TraceFile> file, std::function<uint64_t()> clockNs,
                std::FILE* notices);
  RegisterTrace(const RegisterTrace&) = delete;
  RegisterTrace& operator=(const RegisterTrace&) = delete;

  // False once a write has failed.
  bool Active() const { return active_.load(std::memory_order_relaxed); }

  // An access begins on the calling thread: the violations appended on this thread until
  // it ends belong to its line. False when nothing is traced any more.
  bool Begin();
  // Ends the calling thread's access with its line, or without one (`access` null).
  void End(const TraceAccess* access);
  // Every violation of the machine: on the line of the calling thread's access in
  // progress, otherwise a line of its own (a user-mode counter read, for one).
  void Note(const Violation& violation);

 private:
  void WriteLocked(const std::string& line);

  std::mutex mutex_;
  const std::unique_ptr<TraceFile> file_;
  const std::function<uint64_t()> clockNs_;
  std::FILE* const notices_;
  std::atomic<bool> active_{true};
  // The violation reasons of each thread's access in progress.
  std::map<std::thread::id, std::vector<std::string>> open_;
};

}  // namespace pacetta::sim
