#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// The FID and VID choices the pages offer for a processor, as codes in its own encoding,
// slowest (lowest voltage) first, with the multiplier and voltage each one stands for.
struct StepChoice {
  int32_t code = -1;
  double value = 0.0;  // multiplier, or volts
};

// Every FID step from the processor's lowest to its highest FID (by FID index).
std::vector<StepChoice> FidSteps(const CpuInfo& cpu);
// Every VID step of the processor's voltage range: its limits, widened by the VIDs its
// own candidate states carry (a dynamic-acceleration state may run above the limits).
std::vector<StepChoice> VidSteps(const CpuInfo& cpu);
// The position of `code` among `steps`; -1 when it is not one of them.
int32_t StepIndexOf(const std::vector<StepChoice>& steps, int32_t code);
// The step whose value lies nearest to `value`; -1 for no steps.
int32_t NearestStep(const std::vector<StepChoice>& steps, double value);

double MultiplierOfFid(const CpuInfo& cpu, int32_t fid);
double VoltageOfVid(const CpuInfo& cpu, int32_t vid);
// The multiplier a row runs at: its FID's, halved for a half-ratio state.
double RowSpeed(const CpuInfo& cpu, const PState& row);

// The list texts: "%.1fx" and "%.4fV".
std::string MultiplierText(double multiplier);
std::string VoltageText(double volts);

// The chosen defaults pair lies within what the processor offers: the FID is one of its
// FID steps and the VID one of its VID steps. Restoring defaults writes this pair to the
// processor, so nothing outside its range may reach it.
bool IsOfferedDefaultPair(const CpuInfo& cpu, int32_t fid, int32_t vid);

}  // namespace pacetta
