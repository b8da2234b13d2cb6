#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "cpu/names/bounded_text.h"
#include "cpu/names/naming_hardware.h"

namespace pacetta {

// The fields the information page shows a processor's names in.
using ModelText = BoundedText<80>;
using CoreText = BoundedText<32>;
using RevisionText = BoundedText<16>;

inline constexpr char kUnknownModel[] = "Unknown Model";
inline constexpr char kUnknownCore[] = "Unknown Core";
inline constexpr char kUnknownRevision[] = "Unknown";

// Names the record's processor: its marketing model name, core codename and revision
// label, from the stored leaves, the family flags and the caches, with a few registers
// read through `hardware` on the processor the calling thread runs on (pin it to the
// record's processor first). Each text starts as "Unknown Model", "Unknown Core" and
// "Unknown" and keeps that where the processor's tables give no name. Returns the logo
// (cpu/names/logo_ids.h): 288 for a processor of no known family.
int NameProcessor(const CpuInfo& cpu, NamingHardware& hardware, ModelText& model, CoreText& core,
                  RevisionText& revision);

// AMD's brand identifiers decoded into model names; each writes `model` and returns the
// logo.
// K8 before revision F: `index` is the brand table row, `nn` the model number field.
int NameK8ByBrandId(uint32_t index, uint32_t nn, ModelText& model);
// K8 revision F and G: the package type, the northbridge's core capability and the fields
// of the extended brand id.
int NameK8NptByBrandId(uint32_t packageType, uint32_t coreCapability, uint32_t string1,
                       uint32_t powerLimit, uint32_t nn, ModelText& model);
// Family 16: the extended brand id, package type and cores per package.
int NameFamily16ByBrandId(uint32_t brandId, uint32_t packageType, uint32_t coreCount,
                          ModelText& model);

}  // namespace pacetta
