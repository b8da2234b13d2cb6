#include "app/report/cpu_report.h"

#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

#include "cpu/advanced/longrun/longrun_table.h"
#include "cpu/identify/brand.h"
#include "cpu/identify/feature_predicates.h"
#include "cpu/identify/identify_processor.h"
#include "cpu/identify/signature.h"
#include "cpu/identify/vendor.h"
#include "cpu/names/processor_names.h"
#include "cpu/pstate/fid_conversion.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/pstate/vid_conversion.h"
#include "cpu/sensors/reading_fields.h"
#include "cpu/sensors/sensor_completion.h"
#include "cpu/sensors/temperature.h"
#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta {
namespace {

using nlohmann::json;

std::string VendorString(const CpuInfo& cpu) {
  const auto& leaf0 = cpu.standardLeaves[0];
  std::string text(12, '\0');
  std::memcpy(text.data(), &leaf0.ebx, 4);
  std::memcpy(text.data() + 4, &leaf0.edx, 4);
  std::memcpy(text.data() + 8, &leaf0.ecx, 4);
  text.resize(text.find('\0') == std::string::npos ? 12 : text.find('\0'));
  return text;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

json Cache(const CacheDescription& c) {
  return {{"sizeKb", c.sizeKb},
          {"associativity", c.associativity},
          {"linesPerTag", c.linesPerTag},
          {"lineSize", c.lineSize}};
}

json Tlb(const TlbDescription& t) {
  return {{"level1Entries", t.level1Entries},
          {"level1Associativity", t.level1Associativity},
          {"level2Entries", t.level2Entries},
          {"level2Associativity", t.level2Associativity}};
}

json Flags(const CpuInfo& c) {
  return {{"isK7", c.isK7},
          {"isK8", c.isK8},
          {"isK8RevE", c.isK8RevE},
          {"isK8RevF", c.isK8RevF},
          {"isK8RevG", c.isK8RevG},
          {"isK8RevEOrLater", c.isK8RevEOrLater},
          {"isK8Npt", c.isK8Npt},
          {"isMobileK8", c.isMobileK8},
          {"isK10", c.isK10},
          {"isAmdPowerNow", c.isAmdPowerNow},
          {"isIntelP6", c.isIntelP6},
          {"isPentiumM", c.isPentiumM},
          {"isCoreDuo", c.isCoreDuo},
          {"isCore2", c.isCore2},
          {"isPentium4", c.isPentium4},
          {"isPentium4Prescott", c.isPentium4Prescott},
          {"isIntelCore", c.isIntelCore},
          {"isPentiumMOrCoreDuo", c.isPentiumMOrCoreDuo},
          {"isIntelSpeedStep", c.isIntelSpeedStep},
          {"isIntelPState", c.isIntelPState},
          {"isIntelSupported", c.isIntelSupported},
          {"isTransmeta", c.isTransmeta},
          {"isVia6", c.isVia6},
          {"isViaC7", c.isViaC7},
          {"hasDigitalThermalSensor", c.hasDigitalThermalSensor},
          {"hasIda", c.hasIda},
          {"hasAperfMperf", c.hasAperfMperf},
          {"hasDffs", c.hasDffs}};
}

json Predicates(const CpuInfo& c, const ReportContext& context) {
  uint32_t logical = 0;
  const bool multiLogical = GetLogicalCount(c, &logical);
  json predicates = {{"SupportsFidVidControl", SupportsFidVidControl(c)},
                     {"SupportsSpeedStep", SupportsSpeedStep(c)},
                     {"SupportsTm1", SupportsTm1(c)},
                     {"SupportsTm2", SupportsTm2(c)},
                     {"SupportsOdcm", SupportsOdcm(c)},
                     {"SupportsEnhancedHalt", SupportsEnhancedHalt(c)},
                     {"HasDts", HasDts(c)},
                     {"HasIdaFeature", HasIdaFeature(c)},
                     {"HasDffsFeature", HasDffsFeature(c)},
                     {"GetLogicalCount", {{"result", multiLogical}, {"count", logical}}}};
  if (context.cpu) predicates["SupportsLongRun"] = SupportsLongRun(c, *context.cpu);
  return predicates;
}

json Fid(const CpuInfo& c, int32_t fid) {
  const int32_t index = FidToIndex(c, fid);
  return {{"fid", fid}, {"index", index}, {"multiplier", FidIndexToMultiplier(c, index)}};
}

// Volts to a tenth of a millivolt, so the text shows the published values.
double Volts(double volts) {
  return std::round(volts * 10000.0) / 10000.0;
}

json Vid(const CpuInfo& c, int32_t vid) {
  const int32_t index = VidToIndex(c, vid);
  return {{"vid", vid}, {"index", index}, {"volts", Volts(VidIndexToVoltage(c, index))}};
}

json Limits(const CpuInfo& c) {
  return {{"start", {{"fid", Fid(c, c.startFid)}, {"vid", Vid(c, c.startVid)}}},
          {"min", {{"fid", Fid(c, c.minFid)}, {"vid", Vid(c, c.minVid)}}},
          {"max", {{"fid", Fid(c, c.maxFid)}, {"vid", Vid(c, c.maxVid)}}},
          {"k8FidTable", c.k8FidTable}};
}

json Candidates(const CpuInfo& c) {
  json list = json::array();
  for (uint32_t i = 0; i < c.candidateCount && i < kMaxPStateCandidates; ++i) {
    const PStateCandidate& e = c.candidates[i];
    const int32_t fid = static_cast<int32_t>(e.defaultFid);
    list.push_back({{"kind", e.kind},
                    {"fid", {e.lowestFid, e.highestFid, e.defaultFid}},
                    {"multiplier", FidIndexToMultiplier(c, FidToIndex(c, fid))},
                    {"lowestVid", Vid(c, static_cast<int32_t>(e.lowestVid))},
                    {"highestVid", Vid(c, static_cast<int32_t>(e.highestVid))},
                    {"defaultVid", Vid(c, static_cast<int32_t>(e.defaultVid))}});
  }
  return list;
}

json Readings(const CpuInfo& c) {
  const auto code = [&](const uint32_t& field) {
    return static_cast<int32_t>(sensors::LoadReading(field));
  };
  json readings = {
      {"current", {{"fid", Fid(c, code(c.currentFid))}, {"vid", Vid(c, code(c.currentVid))}}},
      {"requested",
       {{"fid", Fid(c, code(c.requestedFid))}, {"vid", Vid(c, code(c.requestedVid))}}}};
  if (c.isCore2 && c.hasDffs) readings["superLfmActive"] = sensors::LoadReading(c.superLfmActive);
  // The ring holds the reading taken at identification; an invalid one shows as null.
  if (HasTemperature(c)) {
    const float reading = c.temperatures[0];
    readings["temperature"] = reading == sensors::kInvalidTemperature
                                  ? json(nullptr)
                                  : json(static_cast<double>(reading));
  }
  return readings;
}

json Names(const CpuInfo& c, NamingHardware& hardware) {
  ModelText model;
  CoreText core;
  RevisionText revision;
  const int logo = NameProcessor(c, hardware, model, core, revision);
  return {
      {"model", model.Str()}, {"core", core.Str()}, {"revision", revision.Str()}, {"logo", logo}};
}

}  // namespace

std::string CpuReportLine(const CpuInfo& cpu, const ReportContext& context) {
  const CpuSignature signature{cpu.standardLeaves[1].eax};
  std::array<char, kBrandStringSize> brand{};
  json report = {
      {"index", cpu.index},
      {"packageId", cpu.packageId},
      {"isSecondary", cpu.isSecondary},
      {"partnerIndex", cpu.partnerIndex},
      {"vendorCode", static_cast<uint32_t>(GetVendorCode(cpu))},
      {"vendor", VendorString(cpu)},
      {"signature", Hex(signature.raw)},
      {"family", signature.Family()},
      {"model", signature.Model()},
      {"stepping", signature.Stepping()},
      {"highestStandardLeaf", cpu.standardLeaves[0].eax},
      {"highestExtendedLeaf", Hex(cpu.extendedLeaves[0].eax)},
      {"flags", Flags(cpu)},
      {"predicates", Predicates(cpu, context)},
      {"caches",
       {{"l1Instruction", Cache(cpu.l1Instruction)},
        {"l1Data", Cache(cpu.l1Data)},
        {"l2", Cache(cpu.l2)},
        {"l3", Cache(cpu.l3)}}},
      {"tlbs",
       {{"instruction4k", Tlb(cpu.instructionTlb4k)},
        {"data4k", Tlb(cpu.dataTlb4k)},
        {"instructionLarge", Tlb(cpu.instructionTlbLarge)},
        {"dataLarge", Tlb(cpu.dataTlbLarge)}}},
      {"brand",
       {{"brandId", GetBrandId8(cpu)},
        {"extendedBrandId", GetExtendedBrandId(cpu)},
        {"brandTableIndex", GetBrandTableIndex(cpu)}}},
  };
  if (GetBrandString(cpu, brand)) report["brand"]["string"] = std::string(brand.data());
  if (context.naming) report["names"] = Names(cpu, *context.naming);
  if (context.registersRead) {
    if (cpu.isCore2) report["core2Type"] = cpu.switches.intelCore2CpuType;
    report["limits"] = Limits(cpu);
    report["candidates"] = Candidates(cpu);
    report["readings"] = Readings(cpu);
  }
  return report.dump();
}

int RunCpuReport(platform::Platform& platform, std::FILE* out) {
  CPortexDriver driver(platform);
  // The report asks nothing: without the driver it simply leaves the registers out.
  const bool registers = driver.Open(0) == 0;
  PStateHardware hardware{driver, platform.processors, longrun::RangeSource(driver)};
  OptionalEntryPoints entryPoints;
  entryPoints.Resolve(platform.entryPoints, platform.system);
  CK8Northbridge northbridge(driver);
  SensorHardware sensors{driver, platform.cpu, entryPoints, &northbridge};
  ReadingsCompletion completion(hardware, sensors);
  IdentifyContext identify{platform.processors, platform.cpu, driver,
                           registers ? &completion : nullptr};
  std::vector<CpuInfo> records(UsableProcessorCount(platform.processors));
  AssignTopology(platform, records);
  for (CpuInfo& record : records) IdentifyProcessor(record, identify);
  DriverNamingHardware naming(driver, platform.cpu, &northbridge);
  ReportContext context{registers, &platform.cpu, &naming};
  for (CpuInfo& record : records) {
    PinToProcessor(platform.processors, record.index);
    std::fprintf(out, "%s\n", CpuReportLine(record, context).c_str());
  }
  UnpinThread(platform.processors);
  return 0;
}

}  // namespace pacetta
