// PacettaHLT: the idle helper. The program starts one per processor, binds it there and
// counts its running time as idle time. Linux already halts an idle processor in its own
// idle loop, so the helper does not spin (that would keep the processor out of its sleep
// states and raise the clock governor's load): it holds its place at the lowest
// scheduling class and waits for the stop channel on its standard input. End of file
// there means the program has asked it to end, or has died.

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The program starts the helper at this class already; this covers a start by hand.
void TakeLowestSchedulingClass() {
  sched_param priority{};
  priority.sched_priority = 0;
  sched_setscheduler(0, SCHED_IDLE, &priority);
}

// Returns once standard input reaches end of file, reports an error or hangs up.
void WaitForStopChannel() {
  char discard[64];
  for (;;) {
    pollfd watch{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&watch, 1, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (watch.revents & (POLLERR | POLLNVAL)) return;
    // Data on the channel carries no meaning; only its end does.
    const ssize_t got = read(STDIN_FILENO, discard, sizeof discard);
    if (got == 0) return;
    if (got < 0 && errno != EINTR && errno != EAGAIN) return;
  }
}

}  // namespace

int main() {
  // The terminal's interrupt belongs to the program, which ends its helpers in order.
  signal(SIGINT, SIG_IGN);
  TakeLowestSchedulingClass();
  WaitForStopChannel();
  return 0;
}
