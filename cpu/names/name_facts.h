#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "cpu/cpu_info.h"
#include "cpu/identify/vendor.h"
#include "cpu/names/processor_names.h"

// What the naming tables of every vendor are keyed by, taken once from the record.
namespace pacetta::names {

struct ProcessorFacts {
  VendorCode vendor = VendorCode::kOther;
  uint32_t family = 0;  // base + extended
  uint32_t model = 0;   // extended model * 16 + model
  uint32_t stepping = 0;
  uint32_t signature = 0;  // leaf 1 EAX as it stands
  uint32_t brandId8 = 0;
  uint32_t extendedBrandId = 0;
  uint32_t l2Kb = 0;
  uint32_t l3Kb = 0;
  bool longMode = false;        // leaf 0x80000001 EDX bit 29
  bool multiprocessor = false;  // leaf 0x80000001 EDX bit 19
  // Intel: leaf 4 EAX bits 31..26 + 1; AMD: leaf 0x80000008 ECX bits 7..0 + 1; else 1.
  uint32_t coresPerPackage = 1;
  std::string brand;  // the brand string in lower case; empty without one

  // Whether the brand string holds `word` (lower case) anywhere.
  bool Says(std::string_view word) const { return brand.find(word) != std::string::npos; }
};

ProcessorFacts FactsOf(const CpuInfo& cpu);

// The three fields a family's table writes.
struct NameFields {
  ModelText& model;
  CoreText& core;
  RevisionText& revision;
};

// `format` with its one "%02d" replaced by `number`, at least two digits as printf
// writes them ("05", "27", "100").
std::string WithNumber(std::string_view format, long long number);

// The revision label of `key` (a stepping or a signature) in a small table; the field
// keeps what it holds when the key is not listed.
struct Label {
  uint32_t key;
  const char* text;
};
inline void SetLabel(RevisionText& revision, uint32_t key, std::initializer_list<Label> labels) {
  for (const Label& label : labels) {
    if (label.key == key) revision = label.text;
  }
}

}  // namespace pacetta::names
