#include "platform/sim/driver/register_trace.h"

#include <cinttypes>

namespace pacetta::sim {
namespace {

const char* KindName(TraceKind kind) {
  switch (kind) {
    case TraceKind::kMsrRead:
      return "msr-read";
    case TraceKind::kMsrWrite:
      return "msr-write";
    case TraceKind::kPortIn:
      return "port-in";
    case TraceKind::kPortOut:
      return "port-out";
    case TraceKind::kPciRead:
      return "pci-read";
    case TraceKind::kPciWrite:
      return "pci-write";
    case TraceKind::kMap:
      return "map";
    case TraceKind::kUnmap:
      return "unmap";
    case TraceKind::kRoutine:
      return "routine";
    case TraceKind::kPolicyLimits:
      return "policy-limits";
    case TraceKind::kPolicyPreference:
      return "policy-preference";
    case TraceKind::kPolicyBoost:
      return "policy-boost";
  }
  return "?";
}

const char* ResultName(TraceResult result) {
  switch (result) {
    case TraceResult::kOk:
      return "ok";
    case TraceResult::kFailed:
      return "failed";
    case TraceResult::kInjected:
      return "injected";
  }
  return "?";
}

std::string Location(const TraceAccess& access) {
  if (!access.location) return "-";
  const uint64_t at = *access.location;
  char text[48];
  switch (access.kind) {
    case TraceKind::kPortIn:
    case TraceKind::kPortOut:
      std::snprintf(text, sizeof text, "0x%04" PRIX64, at);
      break;
    case TraceKind::kPciRead:
    case TraceKind::kPciWrite:
      // bus:device.function as lspci writes it, then the offset.
      std::snprintf(text, sizeof text, "%02X:%02X.%u+0x%02X",
                    static_cast<unsigned>(at >> 16 & 0xFF), static_cast<unsigned>(at >> 11 & 0x1F),
                    static_cast<unsigned>(at >> 8 & 7), static_cast<unsigned>(at & 0xFF));
      break;
    case TraceKind::kMap:
    case TraceKind::kUnmap:
      std::snprintf(text, sizeof text, "0x%08" PRIX64 "+0x%X", at, access.length);
      break;
    default:
      std::snprintf(text, sizeof text, "0x%08" PRIX64, at);
      break;
  }
  return text;
}

std::string Hex(uint64_t value, unsigned width) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*" PRIX64, static_cast<int>(2 * width), value);
  return text;
}

// The last field: reasons, as the violation log has them, on one line.
std::string Reasons(const std::vector<std::string>& reasons) {
  if (reasons.empty()) return "-";
  std::string text;
  for (const std::string& reason : reasons) {
    if (!text.empty()) text += " | ";
    for (const char c : reason) text += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
  }
  return text;
}

std::string Line(uint64_t timeNs, unsigned processor, const std::string& kind,
                 const std::string& location, const std::string& width, const std::string& value,
                 const std::string& result, const std::string& reasons) {
  return std::to_string(timeNs) + '\t' + std::to_string(processor) + '\t' + kind + '\t' + location +
         '\t' + width + '\t' + value + '\t' + result + '\t' + reasons + '\n';
}

}  // namespace

RegisterTrace::RegisterTrace(std::unique_ptr<TraceFile> file, std::function<uint64_t()> clockNs,
                             std::FILE* notices)
    : file_(std::move(file)), clockNs_(std::move(clockNs)), notices_(notices) {
  std::lock_guard lock(mutex_);
  WriteLocked("# pacetta-sim-trace " + std::to_string(kFormatVersion) +
              "\n# time-ns\tcpu\tkind\tregister\twidth\tvalue\tresult\tviolation\n");
}

bool RegisterTrace::Begin() {
  if (!Active()) return false;
  std::lock_guard lock(mutex_);
  open_[std::this_thread::get_id()].clear();
  return true;
}

void RegisterTrace::End(const TraceAccess* access) {
  std::lock_guard lock(mutex_);
  const auto found = open_.find(std::this_thread::get_id());
  if (found == open_.end()) return;
  const std::vector<std::string> reasons = std::move(found->second);
  open_.erase(found);
  if (access == nullptr || !Active()) return;
  // The time is taken under the lock, so the file's lines are in time order.
  WriteLocked(Line(clockNs_(), access->processor, KindName(access->kind), Location(*access),
                   std::to_string(access->width),
                   access->value ? Hex(*access->value, access->width) : "-",
                   ResultName(access->result), Reasons(reasons)));
}

void RegisterTrace::Note(const Violation& violation) {
  if (!Active()) return;
  std::lock_guard lock(mutex_);
  const auto found = open_.find(std::this_thread::get_id());
  if (found != open_.end()) {
    found->second.push_back(violation.reason);
    return;
  }
  WriteLocked(Line(clockNs_(), violation.processor, "violation", Hex(violation.index, 4), "8",
                   Hex(violation.value, 8), "-", Reasons({violation.reason})));
}

void RegisterTrace::WriteLocked(const std::string& line) {
  if (!Active()) return;
  std::string error;
  if (file_->Append(line, error)) return;
  active_ = false;
  open_.clear();
  if (notices_ != nullptr) {
    std::fprintf(notices_, "pacetta: the register trace stopped: %s\n", error.c_str());
    std::fflush(notices_);
  }
}

}  // namespace pacetta::sim
