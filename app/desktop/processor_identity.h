#pragma once
#include <span>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "cpu/identify/feature_labels.h"
#include "cpu/names/naming_hardware.h"
#include "platform/cpu_instructions.h"
#include "platform/processors.h"

namespace pacetta {

// What the CPU information page shows of a processor beyond its record: its names, its
// logo's picture number (cpu/names/logo_ids.h) and its power-management features.
struct ProcessorIdentity {
  std::string model;
  std::string core;
  std::string revision;
  int logo = 0;
  std::vector<FeatureLabel> features;
};

// Names every processor of `records`, with the calling thread pinned to each in turn
// (naming reads registers and Transmeta's feature leaf on the processor it runs on) and
// unpinned at the end. One entry per record, in record order. A processor the name tables
// do not know is called by its brand string, where it has one.
std::vector<ProcessorIdentity> IdentifyForDisplay(std::span<const CpuInfo> records,
                                                  platform::Processors& processors,
                                                  platform::CpuInstructions& cpu,
                                                  NamingHardware& naming);

}  // namespace pacetta
