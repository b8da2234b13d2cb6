// Performance-state data of real processors, as their makers published them. Each row
// gives the highest state (frequency and voltage identifiers) and the lowest state the part
// is specified for; the codes are written as the multipliers and volts of the sources.
//
// Sources:
//  [30430] AMD Athlon 64 Processor Power and Thermal Data Sheet, publication 30430, and
//          its mobile counterpart for Turion 64 and Mobile Sempron (publication 30431):
//          FID/VID status MaxFID, MaxVID, StartFID and StartVID per ordering part number,
//          and the minimum P-state (1.0 GHz at 1.10 V desktop, 800 MHz mobile).
//  [33952] AMD NPT Family 0Fh Mobile Processor Power and Thermal Data Sheet, publication
//          33952 (Turion 64 X2, revision F).
//  [K7]    AMD Athlon XP, Duron and Mobile Athlon XP-M processor datasheets: FID[4:0] and
//          VID[4:0] tables, nominal core voltage per part.
//  [252612] Intel Pentium M Processor Datasheet (130 nm): HFM and LFM voltages per part.
//  [302189] Intel Pentium M Processor on 90 nm Process with 2-MB L2 Cache Datasheet.
//  [309221] Intel Core Duo Processor and Intel Core Solo Processor on 65 nm Process
//           Datasheet.
//  [316745] Intel Core 2 Duo Processor for Intel Centrino Duo Processor Technology
//           Datasheet (Santa Rosa Merom): HFM, LFM, Super LFM and IDA operating points.
//  [313278] Intel Core 2 Extreme and Core 2 Duo Desktop Processor Datasheet.
//  [302351] Intel Pentium 4 Processor on 90 nm Process Datasheet; [250686] Mobile Intel
//           Pentium 4 Processor-M Datasheet (Enhanced SpeedStep high and low modes).
//  [C7]    VIA C7-M Processor Datasheet: multiplier and VID range of the 1.5 GHz part.
//  Bus codes: Intel SDM volume 3, MSR_FSB_FREQ (0CDh) and MSR_EBC_FREQUENCY_ID (2Ch).
// Where a datasheet gives a voltage range, the row takes a typical part inside it.
#include "platform/sim/models/published_parts.h"

#include "platform/sim/models/vid_codes.h"

namespace pacetta::sim {
namespace {

using namespace codes;
using F = ModelFamily;

// Intel front-side bus codes (SDM): MSR 0CDh on Core processors.
constexpr uint32_t kCoreBus133 = 1, kCoreBus166 = 3, kCoreBus200 = 2, kCoreBus266 = 0,
                   kCoreBus333 = 4;
// MSR 2Ch bits 18..16 on the Pentium 4: model 2 000b = 100 MHz; later models 010b = 200 MHz.
constexpr uint32_t kP4Bus100 = 0, kP4Bus200 = 2;

const PublishedPart kParts[] = {
    // [30430] Athlon 64 3200+ "Venice" (revision E3, socket 939): 2.0 GHz = FID 0Ch
    // (10 x 200 MHz) at 1.40 V; minimum P-state 1.0 GHz (FID 02h) at 1.10 V.
    {.family = F::kAmdK8,
     .brandContains = "Athlon(tm) 64 Processor 3200+",
     .signatureMask = 0x0FFF0FF0,
     .signature = 0x00020FF0,
     .high = {0x0C, K8Vid(1.40)},
     .low = {0x02, K8Vid(1.10)},
     .name = "Athlon 64 3200+ (Venice)"},
    // [30430] Athlon 64 3200+ "ClawHammer"/"Newcastle" (revision C): 2.0 GHz at 1.50 V.
    {.family = F::kAmdK8,
     .brandContains = "Athlon(tm) 64 Processor 3200+",
     .signatureMask = 0x0FFF0000,
     .signature = 0,
     .high = {0x0C, K8Vid(1.50)},
     .low = {0x02, K8Vid(1.10)},
     .name = "Athlon 64 3200+ (Newcastle)"},
    // [30430] Athlon 64 X2 3800+ "Manchester" (revision E4): 2.0 GHz at 1.35 V.
    {.family = F::kAmdK8,
     .brandContains = "Athlon(tm) 64 X2 Dual Core Processor 3800+",
     .signatureMask = 0x0FFF0FF0,
     .signature = 0x00020FB0,
     .high = {0x0C, K8Vid(1.35)},
     .low = {0x02, K8Vid(1.10)},
     .name = "Athlon 64 X2 3800+ (Manchester)"},
    // [30431] Turion 64 ML-34 (revision E, mobile VID table): 1.8 GHz = FID 0Ah at 1.35 V;
    // minimum P-state 800 MHz (FID 00h) at 1.00 V.
    {.family = F::kAmdK8,
     .brandContains = "ML-34",
     .signatureMask = 0x0FFF0FF0,
     .signature = 0x00020F40,
     .high = {0x0A, K8MobileVid(1.35)},
     .low = {0x00, K8MobileVid(1.00)},
     .name = "Turion 64 ML-34"},
    // [30431] Mobile Sempron 3300+ (revision D, socket 754): 2.0 GHz at 1.40 V; 800 MHz at
    // 1.10 V. Its brand id is not one of the mobile VID table's, so the desktop codes.
    {.family = F::kAmdK8,
     .brandContains = "Mobile AMD Sempron(tm) Processor 3300+",
     .signatureMask = 0x0FFF0FF0,
     .signature = 0x00010FC0,
     .high = {0x0C, K8Vid(1.40)},
     .low = {0x00, K8Vid(1.10)},
     .name = "Mobile Sempron 3300+"},
    // [33952] Turion 64 X2 TL-56 (revision F, socket S1): 1.8 GHz = FID 0Ah at 1.125 V;
    // minimum P-state 800 MHz at 0.95 V.
    {.family = F::kAmdK8,
     .brandContains = "TL-56",
     .high = {0x0A, K8NptVid(1.125)},
     .low = {0x00, K8NptVid(0.95)},
     .name = "Turion 64 X2 TL-56"},
    // [33952] Turion 64 X2 TL-60: 2.0 GHz at 1.125 V; 800 MHz at 0.95 V.
    {.family = F::kAmdK8,
     .brandContains = "TL-60",
     .high = {0x0C, K8NptVid(1.125)},
     .low = {0x00, K8NptVid(0.95)},
     .name = "Turion 64 X2 TL-60"},

    // [K7] Athlon XP 3200+ "Barton": 11 x 200 MHz = 2.2 GHz at 1.65 V; no PowerNow!.
    {.family = F::kAmdK7,
     .brandContains = "Athlon(tm) XP 3200+",
     .signatureMask = 0x0FF0,
     .signature = 0x06A0,
     .high = {K7Fid(11.0), K7DesktopVid(1.65)},
     .low = {K7Fid(11.0), K7DesktopVid(1.65)},
     .name = "Athlon XP 3200+",
     .k7BusMhz = 200.0},
    // [K7] Duron "Spitfire" 800 MHz: 8 x 100 MHz at 1.60 V.
    {.family = F::kAmdK7,
     .brandContains = "Duron",
     .signatureMask = 0x0FF0,
     .signature = 0x0630,
     .high = {K7Fid(8.0), K7DesktopVid(1.60)},
     .low = {K7Fid(8.0), K7DesktopVid(1.60)},
     .name = "Duron 800",
     .k7BusMhz = 100.0},
    // [K7] Mobile Athlon XP-M 2500+ "Barton" (35 W): 14 x 133 MHz = 1.87 GHz at 1.45 V;
    // lowest PowerNow! state 6 x 133 MHz at 1.20 V.
    {.family = F::kAmdK7,
     .brandContains = "XP-M",
     .high = {K7Fid(14.0), K7MobileVid(1.45)},
     .low = {K7Fid(6.0), K7MobileVid(1.20)},
     .name = "Mobile Athlon XP-M 2500+",
     .k7BusMhz = 400.0 / 3},

    // [252612] Pentium M 1.60 GHz "Banias": HFM 16 x 100 MHz at 1.484 V, LFM 6x at 0.956 V.
    {.family = F::kPentiumM,
     .brandContains = "1.60GHz",
     .signatureMask = 0x0FF0,
     .signature = 0x0690,
     .high = {16, PentiumMVid(1.484)},
     .low = {6, PentiumMVid(0.956)},
     .name = "Pentium M 1.60 GHz (Banias)"},
    // [302189] Pentium M 725 "Dothan" 1.60 GHz: HFM 16x at 1.340 V, LFM 6x at 0.988 V.
    {.family = F::kPentiumM,
     .brandContains = "1.60GHz",
     .signatureMask = 0x0FF0,
     .signature = 0x06D0,
     .high = {16, PentiumMVid(1.340)},
     .low = {6, PentiumMVid(0.988)},
     .name = "Pentium M 725 (Dothan)"},
    // [309221] Core Duo T2600: HFM 13 x 166 MHz = 2.16 GHz at 1.2875 V, LFM 6x at 1.000 V.
    {.family = F::kCoreDuo,
     .brandContains = "T2600",
     .high = {13, MobileCoreVid(1.2875)},
     .low = {6, MobileCoreVid(1.000)},
     .busCode = kCoreBus166,
     .name = "Core Duo T2600"},
    // [316745] Core 2 Duo T7500: HFM 11 x 200 MHz at 1.250 V, LFM 6x at 0.950 V, Super LFM
    // 6 x 100 MHz at 0.900 V, IDA 12x at 1.275 V.
    {.family = F::kCore2,
     .brandContains = "T7500",
     .high = {11, MobileCoreVid(1.250)},
     .low = {6, MobileCoreVid(0.950)},
     .superLfm = OperatingPoint{6, MobileCoreVid(0.900)},
     .ida = OperatingPoint{12, MobileCoreVid(1.275)},
     .busCode = kCoreBus200,
     .name = "Core 2 Duo T7500"},
    // [313278] Core 2 Duo E6750: 8 x 333 MHz at 1.325 V, EIST minimum 6x at 1.1625 V;
    // junction maximum 85 °C.
    {.family = F::kCore2,
     .brandContains = "E6750",
     .high = {8, DesktopCoreVid(1.325)},
     .low = {6, DesktopCoreVid(1.1625)},
     .busCode = kCoreBus333,
     .junction85 = true,
     .name = "Core 2 Duo E6750"},
    // [313278] Core 2 Quad Q6600: 9 x 266 MHz at 1.325 V, EIST minimum 6x at 1.1625 V.
    {.family = F::kCore2,
     .brandContains = "Q6600",
     .high = {9, DesktopCoreVid(1.325)},
     .low = {6, DesktopCoreVid(1.1625)},
     .busCode = kCoreBus266,
     .name = "Core 2 Quad Q6600"},
    // [302351] Pentium 4 3.00 GHz "Prescott" (no Enhanced SpeedStep): 15 x 200 MHz at
    // 1.3875 V.
    {.family = F::kPentium4,
     .brandContains = "Pentium(R) 4 CPU 3.00GHz",
     .signatureMask = 0x0FF0,
     .signature = 0x0F30,
     .high = {15, DesktopCoreVid(1.3875)},
     .low = {15, DesktopCoreVid(1.3875)},
     .busCode = kP4Bus200,
     .name = "Pentium 4 3.00 GHz (Prescott)"},
    // [302351] Pentium D 820 "Smithfield": 14 x 200 MHz at 1.3375 V, no Enhanced SpeedStep.
    {.family = F::kPentium4,
     .brandContains = "Pentium(R) D CPU 2.80GHz",
     .high = {14, DesktopCoreVid(1.3375)},
     .low = {14, DesktopCoreVid(1.3375)},
     .busCode = kP4Bus200,
     .name = "Pentium D 820"},
    // [250686] Mobile Pentium 4-M 2.20 GHz: 22 x 100 MHz, SpeedStep low mode 1.2 GHz (12x);
    // its voltage is switched by the chipset, not reported in a register.
    {.family = F::kPentium4Model2,
     .brandContains = "4 - M CPU 2.20GHz",
     .high = {22, 0},
     .low = {12, 0},
     .busCode = kP4Bus100,
     .name = "Mobile Pentium 4-M 2.20 GHz"},
    // [C7] VIA C7-M "Esther" 1.5 GHz: 15 x 100 MHz at 1.148 V, lowest state 4x at 0.844 V.
    {.family = F::kViaC7,
     .brandContains = "1500MHz",
     .high = {15, PentiumMVid(1.148)},
     .low = {4, PentiumMVid(0.844)},
     .name = "VIA C7-M 1.5 GHz (Esther)"},
};

}  // namespace

std::span<const PublishedPart> PublishedParts() {
  return kParts;
}

}  // namespace pacetta::sim
