// Processors for the settings loaders to judge stored values against: the stored tables
// and profiles mean something only next to a processor's states and limits.
#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"

namespace pacetta::fuzz {

inline constexpr uint8_t kSampleProcessorCount = 3;

// 0: an AMD K8 with four states, 1: a Pentium M with five, 2: a processor the program
// cannot manage. Other numbers wrap.
const CpuInfo& SampleProcessor(uint8_t which);

}  // namespace pacetta::fuzz
