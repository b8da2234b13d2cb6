#pragma once
#include <span>

#include "cpu/advanced/k8/k8_cpu_setup.h"
#include "cpu/cpu_info.h"
#include "hw/k8_northbridge.h"

namespace pacetta::k8 {

// Node 0's registers as the "CPU setup" tab shows them; `cpu0` decides the alternate-VID
// fields and the list the alternate VID is found in.
CpuSetup ReadSetup(CK8Northbridge& northbridge, const CpuInfo& cpu0);

// Writes `setup` to the node of every processor of `cpus` once (the cores of a node
// follow one another and share its northbridge), each register a read-modify-write of
// its named bits under one selection of the node, then selects node 0 again. The
// alternate-VID fields and mode bits are written on alternate-VID processors only, the
// alternate VID only when one is chosen; a value too wide for its field is not written.
void WriteSetup(CK8Northbridge& northbridge, std::span<const CpuInfo> cpus, const CpuSetup& setup);

}  // namespace pacetta::k8
