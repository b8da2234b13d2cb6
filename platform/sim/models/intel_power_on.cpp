#include "platform/sim/models/intel_power_on.h"

namespace pacetta::sim::intel {
namespace {

// IA32_PERF_STATUS limit fields as each family reports them: the highest operating point
// in EDX bits 15..8 / 7..0 (12..8 / 5..0 on the Pentium M and Core), the lowest (LFM) in
// EDX bits 28..24 (31..24 on the C7) and 21..16 (23..16), the lowest FID also in EAX
// bits 28..24 (31..24 on the C7).
constexpr BitField kHighFid{47, 40}, kHighVid{39, 32};
constexpr BitField kCoreLowFid{60, 56}, kCoreLowVid{53, 48}, kCoreMinFid{28, 24};
constexpr BitField kViaLowFid{63, 56}, kViaLowVid{55, 48}, kViaMinFid{31, 24};
// MSR 2Ch (Pentium 4): current ratio 31..24, bus code 18..16, bit 20 marks the ratio range
// in bits 7..0 (highest ratio) and 15..8 (highest minus lowest).
constexpr BitField kEbcRatio{31, 24}, kEbcBus{18, 16}, kEbcHighRatio{7, 0}, kEbcRatioSpan{15, 8};
constexpr uint64_t kEbcRangeValid = Bit(20);
// MSR 0CEh (Core 2): Super LFM point in EAX 12..8 / 5..0, IDA point in EDX 44..40 / 37..32.
constexpr BitField kSlfmFid{12, 8}, kSlfmVid{5, 0}, kIdaFid{44, 40}, kIdaVid{37, 32};

uint64_t Point(const BitField& fid, const BitField& vid, OperatingPoint point, uint64_t into = 0) {
  return vid.Put(fid.Put(into, point.fid), point.vid);
}

uint64_t MiscEnableAtPowerOn(const ProcessorTraits& traits) {
  // Fast strings (0), automatic thermal control TM1 (3) and performance monitoring
  // available (7) everywhere; BIOSes enable Enhanced SpeedStep (16) where the part has it.
  uint64_t value = Bit(0) | Bit(3) | Bit(7);
  if (traits.eist) value |= kEistEnable;
  switch (traits.family) {
    case ModelFamily::kPentiumM:
      return value | Bit(12);  // no precise event sampling
    case ModelFamily::kCoreDuo:
      return value | Bit(12) | Bit(13) | Bit(25);  // TM2, C1E
    case ModelFamily::kCore2:
      return value | Bit(12) | Bit(13) | Bit(17) | Bit(25);
    case ModelFamily::kPentium4:
      return traits.tm2 ? value | Bit(13) : value;
    case ModelFamily::kViaC7:
      return (value & ~Bit(0) & ~Bit(7));
    default:
      return value;
  }
}

// IA32_MISC_ENABLE bits each family lets software change (Intel SDM volume 4, the
// IA32_MISC_ENABLE rows of each family's MSR table; VIA C7 datasheet). The enhanced
// C-state bits 25, 26, 31, 32, 33 of the Core Solo/Duo and Core 2 and the Core 2's bit
// 17 are not in the public tables: their presence here is this model's assumption, as is
// the C7 keeping only the thermal monitor and PowerSaver bits.
uint64_t MiscEnableWritable(const ProcessorTraits& traits) {
  // Automatic thermal control everywhere; Enhanced SpeedStep and its write-once select
  // lock only where CPUID reports it.
  uint64_t value = Bit(3) | (traits.eist ? kEistEnable | kEistLock : 0);
  // Fast strings (0), FERR# multiplexing (10).
  const uint64_t family6 = Bit(0) | Bit(10);
  // MONITOR FSM (18), limit CPUID maximum (22).
  const uint64_t core = family6 | kTm2Enable | Bit(18) | Bit(22);
  const uint64_t enhancedCStates = Bit(25) | Bit(26) | Bit(31) | Bit(32) | Bit(33);
  switch (traits.family) {
    case ModelFamily::kPentiumM:
      return value | family6;
    case ModelFamily::kCoreDuo:
      return value | core | enhancedCStates;
    case ModelFamily::kCore2:
      // Adjacent-line prefetch (19), xTPR (23), XD disable (34), prefetchers and IDA
      // disable (37..39).
      return value | core | enhancedCStates | kCore2MonitorEnable | Bit(19) | Bit(23) | Bit(34) |
             Bit(37) | Bit(38) | Bit(39);
    case ModelFamily::kPentium4:
    case ModelFamily::kPentium4Model2: {
      // FERR# (2, 10), prefetch (9, 19), MONITOR FSM (18), CPUID limit (22), L1 context
      // mode (24); TM2 from model 3 where CPUID has it; C1E from signature F40h on.
      value |= Bit(0) | Bit(2) | Bit(9) | Bit(10) | Bit(18) | Bit(19) | Bit(22) | Bit(24);
      if (traits.tm2) value |= kTm2Enable;
      if ((traits.signature & 0xFFF) >= 0xF40) value |= Bit(25);
      return value;
    }
    default:
      return value;
  }
}

}  // namespace

Layout LayoutOf(ModelFamily family) {
  switch (family) {
    case ModelFamily::kPentium4:
      return Layout::kPentium4;
    case ModelFamily::kPentium4Model2:
      return Layout::kPentium4Model2;
    case ModelFamily::kViaC7:
      return Layout::kViaC7;
    default:
      return Layout::kSpeedStep;
  }
}

PowerOnRegisters ComposePowerOn(const ProcessorTraits& traits, const PowerOnData& data) {
  const Layout layout = LayoutOf(traits.family);
  const bool familySix = layout == Layout::kSpeedStep || layout == Layout::kViaC7;
  const bool pentium4 = layout == Layout::kPentium4 || layout == Layout::kPentium4Model2;
  PowerOnRegisters out;
  out.miscEnable = MiscEnableAtPowerOn(traits);
  out.miscEnableWritable = MiscEnableWritable(traits);

  const uint64_t current = Point(kFid, kVid, data.high);
  if (layout == Layout::kSpeedStep) {
    uint64_t status =
        Point(kCoreLowFid, kCoreLowVid, data.low, Point(kHighFid, kHighVid, data.high));
    out.perfStatus = kCoreMinFid.Put(status, data.low.fid) | current;
  } else if (layout == Layout::kViaC7) {
    uint64_t status = Point(kViaLowFid, kViaLowVid, data.low, Point(kHighFid, kHighVid, data.high));
    out.perfStatus = kViaMinFid.Put(status, data.low.fid) | current;
  } else if (layout == Layout::kPentium4) {
    out.perfStatus = Point(kHighFid, kHighVid, data.high) | current;
  }
  out.perfControl = current;
  out.perfControlWritable = 0xFFFF | (traits.ida ? kIdaDisengage : 0);

  if (layout != Layout::kViaC7) {
    const uint64_t core2Max =
        traits.family == ModelFamily::kCore2 ? Point({12, 8}, {5, 0}, data.high) : 0;
    out.plain.push_back({kPlatformId, core2Max, 0});
  }
  // Family 6: the strapped ratio in bits 26..22; bus error checking bits 1..6 writable.
  out.plain.push_back(familySix ? PlainRegister{kPowerOnConfig, uint64_t{data.high.fid} << 22, 0x5E}
                                : PlainRegister{kPowerOnConfig, 0, 0});
  if (pentium4) {
    uint64_t ebc = kEbcRatio.Put(0, data.high.fid) | kEbcRangeValid;
    ebc = kEbcBus.Put(ebc, data.busCode);
    ebc = kEbcRatioSpan.Put(kEbcHighRatio.Put(ebc, data.high.fid), data.high.fid - data.low.fid);
    out.plain.push_back({kEbcFrequency, ebc, 0});
    out.plain.push_back({kEbcFrequencyRange, uint64_t{data.low.fid} << 8 | data.high.fid, 0});
  }
  if (layout == Layout::kPentium4) out.plain.push_back({kPlatformBrv, 0, 0});
  if (traits.family == ModelFamily::kCoreDuo || traits.family == ModelFamily::kCore2) {
    out.plain.push_back({kFsbFrequency, data.busCode, 0});
  }
  if (traits.family == ModelFamily::kCore2) {
    const uint64_t info = Point(kSlfmFid, kSlfmVid, data.superLfm.value_or(data.low)) |
                          Point(kIdaFid, kIdaVid, data.ida.value_or(data.high));
    out.plain.push_back({kPlatformInfo, info, 0});
    const uint64_t pmConfig = (traits.dffs ? kDffsEnable : 0) | (data.junction85 ? kJunction85 : 0);
    // Every Core 2 keeps the DFFS bit; only the Santa Rosa parts act on it.
    out.plain.push_back({kPmConfig, pmConfig, kDffsEnable});
    out.plain.push_back({kMiscPowerManagement, 0, Bit(0) | Bit(20) | Bit(21)});
  }
  if (layout != Layout::kPentium4Model2) {
    // Thermal Monitor 2 target: the lowest point; bit 16 selects TM2 on the Pentium M and
    // C7, where the BIOS turns it on.
    const bool select = traits.family == ModelFamily::kPentiumM || layout == Layout::kViaC7;
    // Other families have no select bit there (this model's reading of the MSR tables).
    const uint64_t target = Point(kFid, kVid, data.low) | (select && traits.tm2 ? kTm2Select : 0);
    out.plain.push_back(
        {kTherm2Control, target, select ? uint64_t{0xFFFF} | kTm2Select : uint64_t{0xFFFF}});
  }
  return out;
}

PerfLimits DecodeLimits(Layout layout, bool hasIda, uint64_t perfStatus,
                        const std::optional<uint64_t>& ebcFrequency,
                        const std::optional<uint64_t>& platformInfo) {
  PerfLimits limits;
  switch (layout) {
    case Layout::kSpeedStep:
      limits.maxFid = BitField{44, 40}.Get(perfStatus);
      limits.maxVid = BitField{37, 32}.Get(perfStatus);
      limits.minFid = kCoreMinFid.Get(perfStatus);
      break;
    case Layout::kViaC7:
      limits.maxFid = kHighFid.Get(perfStatus);
      limits.maxVid = kHighVid.Get(perfStatus);
      limits.minFid = kViaMinFid.Get(perfStatus);
      break;
    case Layout::kPentium4:
    case Layout::kPentium4Model2: {
      limits.maxFid = kHighFid.Get(perfStatus);
      limits.maxVid = kHighVid.Get(perfStatus);
      const uint64_t ebc = ebcFrequency.value_or(0);
      const uint32_t high = kEbcHighRatio.Get(ebc), span = kEbcRatioSpan.Get(ebc);
      limits.minFid = span <= high ? high - span : 0;
      break;
    }
  }
  if (hasIda && platformInfo) {
    limits.ida = OperatingPoint{kIdaFid.Get(*platformInfo), kIdaVid.Get(*platformInfo)};
  }
  return limits;
}

}  // namespace pacetta::sim::intel
