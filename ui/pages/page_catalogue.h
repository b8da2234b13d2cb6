#pragma once
#include <vector>

#include "cpu/cpu_info.h"
#include "ui/window/page.h"

namespace pacetta::ui {

// Every page the program has, one registration each. The window shows those present on
// the system; adding a page is one line in page_catalogue.cpp.
std::vector<PageRegistration> BuiltInPages();

// The "Advanced CPU settings" page a processor gets: the first family that matches.
enum class AdvancedPage {
  kNone,
  kNetBurst,  // Pentium 4, Pentium D, Xeon
  kCentrino,  // Pentium M, Core, Core 2 with their chipset and throttling tabs
  kAmdK8,     // with its CPU setup, P-state transitions and misc. control tabs
  kAmdK7,
  kTransmeta,  // Crusoe, Efficeon
  kViaC7,
};
AdvancedPage AdvancedPageFor(const CpuInfo& processor0);

}  // namespace pacetta::ui
