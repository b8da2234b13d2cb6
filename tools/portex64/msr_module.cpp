#include "tools/portex64/msr_module.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace pacetta::portex {

void EnsureMsrModule(const HelperOptions& options) {
  if (!options.UsesRealMsrDevices() || geteuid() != 0) return;
  struct stat info {};
  if (stat((options.msrDir + "/0/msr").c_str(), &info) == 0) return;
  // Fixed paths and a fixed environment: nothing from outside chooses what runs here.
  char name[] = "modprobe";
  char module[] = "msr";
  char* argv[] = {name, module, nullptr};
  char path[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
  char* environment[] = {path, nullptr};
  for (const char* program : {"/usr/sbin/modprobe", "/sbin/modprobe"}) {
    pid_t pid = -1;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environment) != 0) continue;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return;
  }
}

}  // namespace pacetta::portex
