#pragma once

#include "cpu/cpu_info.h"

namespace pacetta {

// Sets the family flags from the stored leaves. Every flag is decided afresh except the
// digital thermal sensor flag, which only Intel and AMD processors decide and which
// other processors keep as it was.
void ClassifyFamily(CpuInfo& info);

}  // namespace pacetta
