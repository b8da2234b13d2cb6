#pragma once
#include <memory>

#include "ui/window/page.h"

namespace pacetta::ui {

// "Advanced CPU settings" on a VIA C7: thermal monitor 1 or 2 (never both), the TM2
// target and PowerSaver, on the Intel-style settings that share their registers.
// Registered in the page catalogue: present when processor 0 gets the VIA page and the
// program has those settings.
bool HasAdvancedViaPage(const DesktopModel& model);
std::unique_ptr<Page> MakeAdvancedViaPage(PageContext context);

}  // namespace pacetta::ui
