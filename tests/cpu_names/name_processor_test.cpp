// Whole records named: each vendor's table, the registers it reads, and the fields'
// bounds.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cpu/names/processor_names.h"
#include "tests/cpu_names/naming_doubles.h"

namespace pacetta {
namespace {

using testing::FakeNamingHardware;
using testing::Named;
using testing::Record;
using testing::RecordFields;

struct RecordCase {
  const char* what;
  RecordFields fields;
  std::function<void(FakeNamingHardware&)> registers;
  Named expected;
};

void ExpectNames(const RecordCase& c) {
  FakeNamingHardware hardware;
  if (c.registers) c.registers(hardware);
  const Named named = testing::NameOf(Record(c.fields), hardware);
  EXPECT_EQ(named.model, c.expected.model) << c.what;
  EXPECT_EQ(named.core, c.expected.core) << c.what;
  EXPECT_EQ(named.revision, c.expected.revision) << c.what;
  EXPECT_EQ(named.logo, c.expected.logo) << c.what;
}

constexpr char kAmd[] = "AuthenticAMD";
constexpr char kTransmeta[] = "GenuineTMx86";
constexpr char kVia[] = "CentaurHauls";
constexpr uint32_t kLongMode = 1u << 29;
constexpr uint32_t kMultiprocessor = 1u << 19;
constexpr uint32_t kFidVidControl = 0x6;
constexpr uint32_t kHyperThreading = 1u << 28;
// Northbridge capabilities, F3xE8, of node n: bus 0, device 0x18 + n, function 3.
constexpr uint32_t kNode0Misc = 0xC3, kNode1Misc = 0xCB, kCapabilities = 0xE8;
constexpr uint32_t kDualCore = 0x1000;

TEST(NameProcessor, AmdTables) {
  const RecordCase cases[] = {
      {"K8, 8-bit brand id 0x64: row 3 is not named",
       {.vendor = kAmd, .signature = 0xF48, .leaf1Ebx = 0x64, .l2Kb = 1024},
       nullptr,
       {"AMD Processor model unknown", "ClawHammer", "SH-C0", 250}},
      {"K8, extended brand id 0x0105: row 4, NN 5",
       {.vendor = kAmd,
        .signature = 0x20FF0,
        .extended1 = {0x20FF0, 0x0105, 0, kLongMode},
        .l2Kb = 512},
       nullptr,
       {"AMD Athlon(TM) 64 2700+", "Venice", "DH-E3", 235}},
      {"K8 value die without long mode is the Sempron Paris",
       {.vendor = kAmd, .signature = 0xFC0, .extended1 = {0xFC0, 34 << 6 | 4, 0, 0}, .l2Kb = 512},
       nullptr,
       {"AMD Sempron(TM) 2800+", "Paris", "DH-CG", 245}},
      {"K8 value die with long mode and 256 KB",
       {.vendor = kAmd,
        .signature = 0xFF0,
        .extended1 = {0xFF0, 4 << 6 | 8, 0, kLongMode},
        .l2Kb = 256},
       nullptr,
       {"AMD Athlon(TM) 64 3000+", "Newcastle/256K", "DH-CG", 235}},
      {"K8 dual-core Opteron die by brand row",
       {.vendor = kAmd,
        .signature = 0x20F12,
        .extended1 = {0x20F12, 48 << 6 | 6, 0, kLongMode},
        .l2Kb = 1024},
       nullptr,
       {"Dual Core AMD Opteron(TM) 275", "Italy", "JH-E6", 244}},
      {"revision F on node 1 reads node 1's northbridge",
       {.vendor = kAmd,
        .signature = 0x40F82,
        .extended1 = {0x40F82, 0x059B, 0, kLongMode},
        .l2Kb = 512,
        .packageId = 1},
       [](FakeNamingHardware& h) {
         h.pci[{0, kNode0Misc, kCapabilities}] = 0;
         h.pci[{0, kNode1Misc, kCapabilities}] = kDualCore;
       },
       {"AMD Turion(TM) 64 X2 Mobile Technology TL-56", "Taylor", "BH-F2", 249}},
      {"revision F single core on AM2 (package bits of 0x40FF2)",
       {.vendor = kAmd,
        .signature = 0x40FF2,
        .extended1 = {0x40FF2, 0x894, 0, kLongMode},
        .l2Kb = 512},
       [](FakeNamingHardware& h) {
         h.pci[{0, kNode0Misc, kCapabilities}] = 0;
       },
       {"AMD Athlon(TM) 64 3500+", "Orleans", "DH-F2", 235}},
      {"family 16, two cores",
       {.vendor = kAmd,
        .signature = 0x100F2A,
        .extended1 = {0x100F2A, 0xB2F, 0, kLongMode},
        .extended8Ecx = 1},
       nullptr,
       {"Dual-Core AMD Opteron(tm) Processor 2350", "Barcelona", "DR-BA", 244}},
      {"K7 mobile: starts below its highest FID",
       {.vendor = kAmd,
        .signature = 0x681,
        .extended7Edx = kFidVidControl,
        .l2Kb = 256,
        .startFid = 10,
        .maxFid = 14},
       nullptr,
       {"Mobile AMD Athlon(TM) XP-M", "Thoroughbred", "B0", 241}},
      {"K7 mobile low-voltage",
       {.vendor = kAmd,
        .signature = 0x681,
        .extended7Edx = kFidVidControl,
        .brand = "mobile AMD Athlon(tm) XP-M (LV) 1500+",
        .l2Kb = 256,
        .startFid = 10,
        .maxFid = 14},
       nullptr,
       {"Mobile AMD Athlon(TM) XP-M (LV)", "Thoroughbred", "B0", 241}},
      {"K7 on the AMD-760MP host bridge",
       {.vendor = kAmd,
        .signature = 0x662,
        .extended1 = {0x762, 0, 0, kMultiprocessor},
        .l2Kb = 256},
       [](FakeNamingHardware& h) {
         h.pci[{0, 0, 0}] = 0x700C1022;
       },
       {"AMD Athlon(TM) MP", "Palomino", "A5", 242}},
      {"the same K7 on another board",
       {.vendor = kAmd,
        .signature = 0x662,
        .extended1 = {0x762, 0, 0, kMultiprocessor},
        .l2Kb = 256},
       [](FakeNamingHardware& h) {
         h.pci[{0, 0, 0}] = 0x700E1022;
       },
       {"AMD Athlon(TM) XP", "Palomino", "A5", 239}},
      {"K7 MP-capable Barton on a desktop board",
       {.vendor = kAmd,
        .signature = 0x6A0,
        .extended1 = {0x7A0, 0, 0, kMultiprocessor},
        .l2Kb = 512},
       nullptr,
       {"AMD Sempron(TM)", "Barton", "A2", 245}},
      {"K7 small-cache Thoroughbred on a desktop",
       {.vendor = kAmd, .signature = 0x680, .l2Kb = 64},
       nullptr,
       {"AMD Duron(TM)", "Applebred", "A0", 247}},
      {"AMD family 17 has no table",
       {.vendor = kAmd, .signature = 0x200F31, .brand = "AMD Turion Dual-Core RM-70"},
       nullptr,
       {"Unknown Model", "Unknown Core", "Unknown", 288}},
  };
  for (const RecordCase& c : cases) ExpectNames(c);
}

constexpr uint32_t kTwoCores = 1u << 26, kFourCores = 3u << 26;
constexpr uint32_t kEbcFrequencyId = 0x2C, kPerfStatus = 0x198;

// A Prescott with Hyper-Threading, its bus code as given (register 0x2C bits 18..16).
RecordFields Prescott() {
  return {.signature = 0xF41, .leaf1Ebx = 2 << 16, .leaf1Edx = kHyperThreading, .l2Kb = 1024};
}
RecordFields Conroe() {
  return {.signature = 0x6FB, .leaf4Eax = kTwoCores, .l2Kb = 4096, .core2Type = 0};
}

TEST(NameProcessor, IntelTables) {
  const RecordCase cases[] = {
      {"Pentium 4 on a 200 MHz bus",
       Prescott(),
       [](FakeNamingHardware& h) { h.msrs[kEbcFrequencyId] = 2 << 16; },
       {"Genuine Intel(R) Pentium(R) 4", "Prescott", "E0", 263}},
      {"Pentium 4 on the Extreme Edition's 266 MHz bus",
       Prescott(),
       [](FakeNamingHardware& h) { h.msrs[kEbcFrequencyId] = 4 << 16; },
       {"Genuine Intel(R) Pentium(R) 4 Extreme Edition", "Prescott", "E0", 264}},
      {"Pentium 4 whose bus register cannot be read",
       Prescott(),
       nullptr,
       {"Genuine Intel(R) Pentium(R) 4", "Prescott", "E0", 263}},
      {"Core 2 reporting an unlocked ratio",
       Conroe(),
       [](FakeNamingHardware& h) { h.msrs[kPerfStatus] = 0x80000000u; },
       {"Genuine Intel(R) Core(TM) 2 Extreme", "Conroe", "G0", 272}},
      {"Core 2 whose status register cannot be read is no Extreme",
       Conroe(),
       nullptr,
       {"Genuine Intel(R) Core(TM) 2 Duo", "Conroe", "G0", 271}},
      {"mobile Core 2 with one core",
       {.signature = 0x10661, .l2Kb = 1024, .core2Type = 1},
       [](FakeNamingHardware& h) { h.msrs[kPerfStatus] = 0; },
       {"Genuine Intel(R) Core(TM) 2 Solo", "Merom-L", "A1", 270}},
      {"Core 2 Quad by its cores",
       {.signature = 0x6FB, .leaf4Eax = kFourCores, .l2Kb = 4096},
       [](FakeNamingHardware& h) { h.msrs[kPerfStatus] = 0; },
       {"Genuine Intel(R) Core(TM) 2 Quad", "Kentsfield", "G0", 273}},
      {"Xeon 51xx",
       {.signature = 0x6F6,
        .leaf4Eax = kTwoCores,
        .brand = "Intel(R) Xeon(R) CPU 5160 @ 3.00GHz",
        .l2Kb = 4096},
       nullptr,
       {"Genuine Intel(R) Xeon(TM)", "Woodcrest", "B2", 267}},
      {"mobile Penryn by its level 2",
       {.signature = 0x10676, .leaf4Eax = kTwoCores, .l2Kb = 3072, .core2Type = 1},
       [](FakeNamingHardware& h) { h.msrs[kPerfStatus] = 0; },
       {"Genuine Intel(R) Core(TM) 2 Duo", "Penryn-3M", "C0", 271}},
      {"Penryn Xeon keeps the texts",
       {.signature = 0x10676, .leaf4Eax = kFourCores, .brand = "Intel(R) Xeon(R) CPU X5460"},
       nullptr,
       {"Unknown Model", "Unknown Core", "C0", 267}},
      {"Willamette brand 14 before 0xF13 is the Xeon",
       {.signature = 0xF12, .leaf1Ebx = 14},
       nullptr,
       {"Genuine Intel(R) Xeon(TM)", "Foster", "D0", 267}},
      {"Willamette brand 14 from 0xF13 is the mobile Pentium 4",
       {.signature = 0xF13, .leaf1Ebx = 14},
       nullptr,
       {"Genuine Mobile Intel(R) Pentium(R) 4", "Willamette", "E0", 262}},
      {"Willamette brand 11 before 0xF13 is the Xeon MP",
       {.signature = 0xF12, .leaf1Ebx = 11},
       nullptr,
       {"Genuine Intel(R) Xeon(TM) MP", "Foster MP", "D0", 267}},
      {"a brand string saying Xeon MP wins over the plain Xeon",
       {.signature = 0xF13, .brand = "Intel(R) Xeon(TM) MP CPU 1.40GHz"},
       nullptr,
       {"Genuine Intel(R) Xeon(TM) MP", "Foster MP", "E0", 267}},
      {"Prescott Xeon MP with a level 3",
       {.signature = 0xF41, .leaf1Ebx = 12, .l2Kb = 1024, .l3Kb = 4096},
       nullptr,
       {"Genuine Intel(R) Xeon(TM) MP", "Potomac", "E0", 267}},
      {"Smithfield with Hyper-Threading on both cores",
       {.signature = 0xF44,
        .leaf1Ebx = 4 << 16,
        .leaf1Edx = kHyperThreading,
        .leaf4Eax = kTwoCores,
        .l2Kb = 1024},
       nullptr,
       {"Genuine Intel(R) Pentium(R) Extreme Edition", "Smithfield", "A0", 266}},
      {"Tualatin brand 3 on stepping 1",
       {.signature = 0x6B1, .leaf1Ebx = 3, .l2Kb = 256},
       nullptr,
       {"Genuine Intel(R) Celeron(R)", "Tualatin", "tA1", 253}},
      {"Tualatin brand 3 on stepping 4",
       {.signature = 0x6B4, .leaf1Ebx = 3, .l2Kb = 512},
       nullptr,
       {"Genuine Intel(R) Pentium(R) III Xeon(TM)", "Tualatin", "tB1", 260}},
      {"Celeron M without a level 2",
       {.signature = 0x695, .leaf1Ebx = 18},
       nullptr,
       {"Genuine Intel(R) Celeron(R) M", "Shelton", "B1", 254}},
      {"family 6 model 26",
       {.signature = 0x106A5, .brand = "Intel(R) Core(TM) i7 CPU 920"},
       nullptr,
       {"Unknown Model", "Unknown Core", "Unknown", 275}},
      {"family 5",
       {.signature = 0x52C},
       nullptr,
       {"Unknown Model", "Unknown Core", "Unknown", 288}},
  };
  for (const RecordCase& c : cases) ExpectNames(c);
}

constexpr uint32_t kTransmetaLeaves = 0x80860000u;

std::function<void(FakeNamingHardware&)> TransmetaLeaves(uint32_t revision, uint32_t mhz,
                                                         uint32_t software = 0) {
  return [=](FakeNamingHardware& h) {
    h.leaves[kTransmetaLeaves] = {kTransmetaLeaves + 7, 0, 0, 0};
    h.leaves[kTransmetaLeaves + 1] = {0x543, revision, mhz, 0xA};
    h.leaves[kTransmetaLeaves + 2] = {software, 0, 0, 0};
  };
}

TEST(NameProcessor, TransmetaAndViaTables) {
  const RecordFields crusoe{.vendor = kTransmeta, .signature = 0x543, .l2Kb = 512};
  const RecordCase cases[] = {
      {"TM5800",
       crusoe,
       TransmetaLeaves(0x01040100, 867),
       {"Transmeta(TM) Crusoe(TM)", "TM5800", "1.4-1.0-867", 281}},
      {"TM5500: the same generation with a smaller level 2",
       {.vendor = kTransmeta, .signature = 0x543, .l2Kb = 256},
       TransmetaLeaves(0x01050000, 800),
       {"Transmeta(TM) Crusoe(TM)", "TM5500", "1.5-0.0-800", 281}},
      {"a revision longer than its field is cut at 16 characters",
       crusoe,
       TransmetaLeaves(0xFFFFFFFF, 0xFFFFFFFF),
       {"Transmeta(TM) Crusoe(TM)", "TM5x00", "255.255-255.255-", 281}},
      {"the newer parts' revision in hex",
       crusoe,
       TransmetaLeaves(0x02000000, 1000, 0x20010A0F),
       {"Transmeta(TM) Crusoe(TM)", "TM5x00", "20010A0F", 281}},
      {"without the revision leaf",
       crusoe,
       nullptr,
       {"Transmeta(TM) Crusoe(TM)", "TM5x00", "Unknown", 281}},
      {"Efficeon",
       {.vendor = kTransmeta, .signature = 0xF24},
       TransmetaLeaves(0x01000000, 1600),
       {"Transmeta(TM) Efficeon(TM)", "TM8000", "1.0-0.0-1600", 282}},
      {"Samuel 2",
       {.vendor = kVia, .signature = 0x673},
       nullptr,
       {"VIA C3", "Samuel 2", "C5B", 285}},
      {"Ezra: the same model from stepping 8",
       {.vendor = kVia, .signature = 0x678},
       nullptr,
       {"VIA C3", "Ezra", "C5C", 285}},
      {"Nehemiah from stepping 8",
       {.vendor = kVia, .signature = 0x698},
       nullptr,
       {"VIA C3/Antaur", "Nehemiah", "C5P", 285}},
      {"VIA family 15",
       {.vendor = kVia, .signature = 0xF00},
       nullptr,
       {"Unknown Model", "Unknown Core", "Unknown", 288}},
  };
  for (const RecordCase& c : cases) ExpectNames(c);
}

// The page names whichever processor is selected into the same fields: a processor of no
// known vendor must not keep the names of the one shown before it.
TEST(NameProcessor, AnUnknownVendorStartsFromTheInitialTexts) {
  FakeNamingHardware hardware;
  ModelText model;
  CoreText core;
  RevisionText revision;
  const CpuInfo duo = Record(Conroe());
  ASSERT_EQ(NameProcessor(duo, hardware, model, core, revision), 271);
  const CpuInfo other = Record({.vendor = "CyrixInstead", .signature = 0x52C});
  EXPECT_EQ(NameProcessor(other, hardware, model, core, revision), 288);
  EXPECT_EQ(model.View(), "Unknown Model");
  EXPECT_EQ(core.View(), "Unknown Core");
  EXPECT_EQ(revision.View(), "Unknown");
}

}  // namespace
}  // namespace pacetta
