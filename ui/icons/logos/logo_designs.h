#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// What each processor logo shows, kept apart from how a badge is drawn.
namespace pacetta::icons {

enum class LogoMaker { kAmd, kIntel, kTransmeta, kVia, kUnknown };

struct LogoDesign {
  LogoMaker maker = LogoMaker::kUnknown;
  std::string_view product;  // the large line, e.g. "Athlon"
  std::string_view detail;   // the small line under it, may be empty
  uint32_t accent = 0;       // 0xAARRGGBB of the product line's stripe
};

// The design of logo `id`, or nothing outside 233..288.
std::optional<LogoDesign> LogoDesignOf(int id);

}  // namespace pacetta::icons
