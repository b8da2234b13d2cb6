#include "tools/portex64/request_handler.h"

#include <cstring>
#include <initializer_list>
#include <span>

#include "hw/driver_protocol.h"
#include "tools/portex64/access_policy.h"

namespace pacetta::portex {
namespace {

namespace wire = linux_os::helper_wire;

constexpr uint32_t kConfigDataPort = 0xCFC;

template <size_t N>
Answer Words(const std::array<uint32_t, N>& words) {
  Answer answer;
  answer.ok = true;
  std::memcpy(answer.out.data(), words.data(), N * 4);
  answer.size = N * 4;
  return answer;
}

Answer Succeeded() {
  Answer answer;
  answer.ok = true;
  return answer;
}

uint32_t WidthMask(unsigned width) {
  return width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

// The input and output sizes each request has, in bytes.
struct Layout {
  uint32_t code;
  uint32_t inSize;
  uint32_t outSize;
};
constexpr Layout kLayouts[] = {
    {driver::kMapPhysicalMemory, 16, 8}, {driver::kUnmapPhysicalMemory, 8, 0},
    {driver::kReadPortByte, 8, 8},       {driver::kReadPortWord, 8, 8},
    {driver::kReadPortDword, 8, 8},      {driver::kWritePortByte, 8, 8},
    {driver::kWritePortWord, 8, 8},      {driver::kWritePortDword, 8, 8},
    {driver::kQueryVersion, 8, 8},       {driver::kChangeUseCount, 8, 8},
    {driver::kReadMsr, 12, 12},          {driver::kWriteMsr, 12, 12},
    {wire::kStopRequest, 0, 0},
};
// The kernel's frequency policy: nothing comes back.
constexpr Layout kCpufreqLayouts[] = {
    {driver::kSetFrequencyLimits, 12, 0},
    {driver::kSetEnergyPreference, 28, 0},
    {driver::kSetBoost, 4, 0},
    {driver::kSetGovernor, 28, 0},
};

bool LayoutFits(const wire::RequestHeader& header) {
  for (const auto& table :
       {std::span<const Layout>(kLayouts), std::span<const Layout>(kCpufreqLayouts)}) {
    for (const Layout& layout : table) {
      if (layout.code == header.code) {
        return header.inSize == layout.inSize && header.outSize == layout.outSize;
      }
    }
  }
  return false;  // unknown codes, and the kernel routine: this helper runs no code
}

}  // namespace

Answer RequestHandler::Handle(const wire::RequestHeader& header, const uint8_t* in) {
  if (!LayoutFits(header)) return {};
  // Port writes are told apart by where they go (WritePort).
  if (driver::ChangesRegistersOrPolicy(header.code) && !MayChange()) return {};
  if (header.code == driver::kSetEnergyPreference || header.code == driver::kSetGovernor) {
    return SetPolicyName(header.code, in);
  }
  std::array<uint32_t, 4> words{};
  std::memcpy(words.data(), in, header.inSize);
  switch (header.code) {
    case driver::kMapPhysicalMemory:
      return MapMemory(words.data());
    case driver::kUnmapPhysicalMemory:
      // The client maps the memory file itself and unmaps it itself: nothing is held here.
      return Succeeded();
    case driver::kReadPortByte:
      return ReadPort(1, words.data());
    case driver::kReadPortWord:
      return ReadPort(2, words.data());
    case driver::kReadPortDword:
      return ReadPort(4, words.data());
    case driver::kWritePortByte:
      return WritePort(1, words.data());
    case driver::kWritePortWord:
      return WritePort(2, words.data());
    case driver::kWritePortDword:
      return WritePort(4, words.data());
    case driver::kQueryVersion:
      return Words<2>({driver::kExpectedMajor, driver::kExpectedMinor});
    case driver::kChangeUseCount:
      return ChangeUseCount(words.data());
    case driver::kReadMsr:
      return ReadMsr(header.processor, words.data());
    case driver::kWriteMsr:
      return WriteMsr(header.processor, words.data());
    case driver::kSetFrequencyLimits:
      return Cpufreq(context_.hardware.Cpufreq().SetLimits(words[0], words[1], words[2]));
    case driver::kSetBoost:
      return Cpufreq(context_.hardware.Cpufreq().SetBoost(words[0]));
    case wire::kStopRequest:
      return Stop();
    default:
      return {};
  }
}

// In: physical address low, high, length, reserved. The range travels as a memory file;
// word 0 of the answer is its length, word 1 is 0 (the client puts its own address there).
Answer RequestHandler::MapMemory(const uint32_t* words) {
  if (!MemoryRangeAllowed(words[0], words[1], words[2])) return {};
  UniqueFd memory = context_.hardware.CopyMemory(words[0], words[2]);
  if (!memory.Valid()) return {};
  Answer answer = Words<2>({words[2], 0});
  answer.memory = std::move(memory);
  return answer;
}

bool RequestHandler::ConfigData(uint32_t port, unsigned width, bool write, uint32_t& value) {
  const unsigned offset = port - kConfigDataPort;
  const uint32_t devfn = (configAddress_ >> 8) & 0xFF;
  const uint32_t reg = (configAddress_ & 0xFC) + offset;
  if (write) {
    const auto mask = PciWriteMask(configAddress_, offset, width);
    uint32_t current = 0;
    return mask && context_.hardware.ReadConfig(devfn, reg, width, current) &&
           mask->Permits(current, value) && context_.hardware.WriteConfig(devfn, reg, width, value);
  }
  return PciReadAllowed(configAddress_, offset, width) &&
         context_.hardware.ReadConfig(devfn, reg, width, value);
}

// In: port, unused. Out: the port, the value zero-extended.
Answer RequestHandler::ReadPort(unsigned width, const uint32_t* words) {
  const uint32_t port = words[0];
  uint32_t value = 0;
  bool ok = false;
  switch (RoutePortAccess(port, width, false, 0, context_.processorControlPort)) {
    case PortRoute::kDirect:
    case PortRoute::kProcessorControl:
      ok = context_.hardware.ReadPort(port, width, value);
      break;
    case PortRoute::kConfigAddress:
      value = configAddress_;
      ok = true;
      break;
    case PortRoute::kConfigData:
      ok = ConfigData(port, width, false, value);
      break;
    case PortRoute::kRefused:
      break;
  }
  if (!ok) return {};
  return Words<2>({port, value & WidthMask(width)});
}

// In: port, value (only its low `width` bytes count). Out: the port, the value written.
Answer RequestHandler::WritePort(unsigned width, const uint32_t* words) {
  const uint32_t port = words[0];
  uint32_t value = words[1] & WidthMask(width);
  bool ok = false;
  const PortRoute route = RoutePortAccess(port, width, true, value, context_.processorControlPort);
  // Latching a timer counter and choosing a configuration register serve reads: only
  // configuration data and the processor control register change the hardware.
  if ((route == PortRoute::kConfigData || route == PortRoute::kProcessorControl) && !MayChange()) {
    return {};
  }
  switch (route) {
    case PortRoute::kDirect:
      ok = context_.hardware.WritePort(port, width, value);
      break;
    case PortRoute::kProcessorControl: {
      uint32_t current = 0;
      ok = context_.hardware.ReadPort(port, width, current) &&
           ProcessorControlWriteMask().Permits(current, value) &&
           context_.hardware.WritePort(port, width, value);
      break;
    }
    case PortRoute::kConfigAddress:
      // An address outside the allowed functions selects nothing: later data accesses
      // of this connection fail until a good address is written.
      ok = PciReadAllowed(value, 0, 4);
      configAddress_ = ok ? value : 0;
      break;
    case PortRoute::kConfigData:
      ok = ConfigData(port, width, true, value);
      break;
    case PortRoute::kRefused:
      break;
  }
  if (!ok) return {};
  return Words<2>({port, value});
}

// In: the tag, a signed change. Out: the count after the change, the change.
Answer RequestHandler::ChangeUseCount(const uint32_t* words) {
  if (words[0] != driver::kUseCountTag) return {};
  const auto count = context_.uses.Change(static_cast<int32_t>(words[1]), uses_);
  if (!count) return {};
  return Words<2>({*count, words[1]});
}

// In and out: index, high half, low half.
Answer RequestHandler::ReadMsr(unsigned processor, const uint32_t* words) {
  uint64_t value = 0;
  if (!MsrReadAllowed(words[0]) || !context_.hardware.ReadMsr(processor, words[0], value)) {
    return {};
  }
  return Words<3>({words[0], static_cast<uint32_t>(value >> 32), static_cast<uint32_t>(value)});
}

// Bits outside the register's mask must keep the value the register holds now.
Answer RequestHandler::WriteMsr(unsigned processor, const uint32_t* words) {
  const uint64_t value = uint64_t{words[1]} << 32 | words[2];
  const auto mask = MsrWriteMask(words[0]);
  uint64_t current = 0;
  if (!mask || !context_.hardware.ReadMsr(processor, words[0], current) ||
      !mask->Permits(current, value) || !context_.hardware.WriteMsr(processor, words[0], value)) {
    return {};
  }
  return Words<3>({words[0], words[1], words[2]});
}

// In: policy id, 24 bytes of NUL-padded text: an energy preference or a governor.
Answer RequestHandler::SetPolicyName(uint32_t code, const uint8_t* in) {
  uint32_t policy = 0;
  std::memcpy(&policy, in, 4);
  const std::string text = CpufreqFiles::PaddedText(in + 4, 24);
  CpufreqFiles& files = context_.hardware.Cpufreq();
  return Cpufreq(code == driver::kSetGovernor ? files.SetGovernor(policy, text)
                                              : files.SetEnergyPreference(policy, text));
}

// A frequency policy change that was refused or failed goes to the refusal log: the
// program never sends one the kernel's files did not offer.
Answer RequestHandler::Cpufreq(const std::string& refusal) {
  if (refusal.empty()) return Succeeded();
  if (context_.refused) {
    context_.refused("refused a frequency request of user " + std::to_string(peer_.uid) + ": " +
                     refusal);
  }
  return {};
}

// Root may end the helper, and so may the process that started it (the same user, so
// that a recycled process number does not inherit the right).
Answer RequestHandler::Stop() {
  const bool owner =
      context_.ownerPid != 0 && peer_.pid == context_.ownerPid && peer_.uid == context_.ownerUid;
  if (peer_.uid != 0 && !owner) return {};
  Answer answer = Succeeded();
  answer.endHelper = true;
  return answer;
}

bool RequestHandler::MayChange() {
  if (!authorizeChange_) return true;
  if (!mayChange_) mayChange_ = authorizeChange_();
  return *mayChange_;
}

void RequestHandler::EndHelper() {
  if (context_.requestStop) context_.requestStop();
}

}  // namespace pacetta::portex
