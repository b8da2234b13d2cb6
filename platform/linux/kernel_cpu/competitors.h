#pragma once
#include <vector>

#include "platform/kernel_cpu.h"
#include "platform/linux/kernel_cpu/sysfs_root.h"

namespace pacetta::linux_os {

// Other programs that set the frequency policies or the power profile, and governors
// that take the choice of clock out of the policy's limits:
// - power-profiles-daemon and tuned-ppd (its stand-in on some distributions) and tuned:
//   they rewrite energy preferences, boost and limits when their profile changes;
// - auto-cpufreq: a daemon that switches governors, preferences and boost by load;
// - TLP: runs at boot and at every change of power source and sets governors,
//   preferences, limits and boost; it leaves /run/tlp behind, and counts unless its
//   configuration (/etc/tlp.conf) says TLP_ENABLE=0;
// - the "userspace" governor: another program sets the clock directly; with a generic
//   driver also "performance" and "powersave", which pin the clock to one limit whatever
//   the load; with intel_pstate or amd-pstate-epp in active mode "performance", which
//   fixes the energy preference. (Their own defaults, and schedutil, ondemand and
//   conservative elsewhere, are normal.)
// thermald is none of these: it lowers limits only to keep the processor cool, which the
// program must respect anyway. Processes are found through <root>/proc/<pid>/comm and
// cmdline; one name per competitor, in a fixed order.
std::vector<platform::FrequencyCompetitor> FindCompetitors(
    const SysfsRoot& root, const std::vector<platform::FrequencyPolicy>& policies);

}  // namespace pacetta::linux_os
