#include "app/settings/registry_values.h"

#include <algorithm>

namespace pacetta {
namespace {

constexpr uint32_t kColorMask = 0x00FFFFFF;

}  // namespace

void RegistryValueReader::Plain(const char* name, int32_t& value, Stored) {
  if (auto stored = key_.ReadDword(name)) value = static_cast<int32_t>(*stored);
}

void RegistryValueReader::Boolean(const char* name, int32_t& value, Stored) {
  if (auto stored = key_.ReadDword(name)) value = *stored != 0 ? 1 : 0;
}

void RegistryValueReader::Clamped(const char* name, int32_t& value, int32_t lowest, int32_t highest,
                                  Stored) {
  if (auto stored = key_.ReadDword(name)) {
    value = std::clamp(static_cast<int32_t>(*stored), lowest, highest);
  }
}

void RegistryValueReader::Choice(const char* name, int32_t& value, int32_t lowest,
                                 int32_t highest) {
  if (auto stored = key_.ReadDword(name)) {
    const auto choice = static_cast<int32_t>(*stored);
    if (choice >= lowest && choice <= highest) value = choice;
  }
}

void RegistryValueReader::Color(const char* name, uint32_t& value) {
  if (auto stored = key_.ReadDword(name)) value = *stored & kColorMask;
}

void RegistryValueWriter::Word(const char* name, uint32_t value) {
  ok_ = key_.WriteDword(name, value) && ok_;
}

void RegistryValueWriter::Plain(const char* name, int32_t& value, Stored stored) {
  if (stored == Stored::kReadWrite) Word(name, static_cast<uint32_t>(value));
}

void RegistryValueWriter::Boolean(const char* name, int32_t& value, Stored stored) {
  Plain(name, value, stored);
}

void RegistryValueWriter::Clamped(const char* name, int32_t& value, int32_t, int32_t,
                                  Stored stored) {
  Plain(name, value, stored);
}

void RegistryValueWriter::Choice(const char* name, int32_t& value, int32_t, int32_t) {
  Plain(name, value, Stored::kReadWrite);
}

void RegistryValueWriter::Color(const char* name, uint32_t& value) {
  Word(name, value);
}

}  // namespace pacetta
