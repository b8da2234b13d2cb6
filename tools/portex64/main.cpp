// Portex64: the hardware-access helper of the program. It answers the I/O driver's
// requests over a local socket for the users allowed to reach it, and only for the
// registers, ports, PCI functions and memory the program's features use.
#include <fcntl.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/portex64/chipset_pm_base.h"
#include "tools/portex64/hardware_files.h"
#include "tools/portex64/helper_context.h"
#include "tools/portex64/helper_options.h"
#include "tools/portex64/msr_module.h"
#include "tools/portex64/server.h"
#include "tools/portex64/service_notify.h"

namespace {

using namespace pacetta::portex;

// Leaves the caller's session and process: the process that started the helper gets its
// child back at once, and the helper is nobody's child afterwards. Nor does it keep the
// caller's terminal or pipes: whoever reads them would wait for the helper's end, and
// one that nobody reads would block it.
bool Detach() {
  const pid_t child = fork();
  if (child < 0) return false;
  if (child > 0) _exit(0);
  setsid();
  [[maybe_unused]] const int changed = chdir("/");
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null < 0) return false;
  for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) dup2(null, stream);
  if (null > STDERR_FILENO) close(null);
  return true;
}

void ReportReady(const HelperOptions& options) {
  if (options.readyFd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t put = write(options.readyFd, &byte, 1);
    close(options.readyFd);
  }
  if (options.foreground) {
    std::printf("Portex64 listening on %s\n", options.socketPath.c_str());
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseHelperOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "Portex64: %s\n\n%s", error.c_str(), kHelperUsage);
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  // Who started the helper may also stop it; a service manager (process 1) is nobody.
  const pid_t parent = getppid();
  const pid_t owner = parent > 1 ? parent : 0;

  // Every thread leaves these signals to the serving loop.
  sigset_t signals;
  sigemptyset(&signals);
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&signals, s);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const pacetta::linux_os::UniqueFd signalFd(signalfd(-1, &signals, SFD_CLOEXEC));

  EnsureMsrModule(*options);
  HardwareFiles hardware(*options);
  UseCounter uses;
  HelperContext context{hardware, uses, 0, owner, getuid(), {}, {}};
  Server server(*options, context);
  if (!server.Bind(error)) {
    std::fprintf(stderr, "Portex64: %s\n", error.c_str());
    return 1;
  }
  if (!options->foreground && !Detach()) {
    std::fprintf(stderr, "Portex64: cannot detach\n");
    return 1;
  }
  // After detaching and before any serving thread exists: port permissions belong to
  // the process that asks and the threads it starts afterwards.
  context.processorControlPort = FindProcessorControlPort(hardware);
  if (context.processorControlPort != 0) {
    hardware.GrantWidePortAccess(context.processorControlPort, 4);
  }
  if (!server.Listen(error)) {
    std::fprintf(stderr, "Portex64: %s\n", error.c_str());
    return 1;
  }
  ReportReady(*options);
  NotifyServiceReady();  // a Type=notify unit starts only now
  server.Run(signalFd.Get());
  return 0;
}
