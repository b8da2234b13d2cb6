#include "tools/portex64/client_session.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace pacetta::portex {
namespace {

namespace wire = linux_os::helper_wire;

// Between frames a client may stay quiet as long as it likes; once a frame has begun,
// the rest must follow within this time or the connection is dropped.
constexpr std::chrono::milliseconds kFrameTimeout{5000};

// False when the connection ends, or stays quiet for `idle` (negative: no limit).
bool WaitForFrame(int connection, std::chrono::milliseconds idle) {
  const auto deadline = std::chrono::steady_clock::now() + idle;
  pollfd entry{connection, POLLIN, 0};
  for (;;) {
    int wait = -1;
    if (idle.count() >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      wait = static_cast<int>(std::max<int64_t>(left.count(), 0));
    }
    const int ready = poll(&entry, 1, wait);
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool SendAnswer(int connection, const Answer& answer) {
  wire::ResponseHeader header;
  header.ok = answer.ok ? 1 : 0;
  header.returned = answer.ok ? answer.size : 0;
  const bool sent = answer.memory.Valid() ? linux_os::SendWithFd(connection, &header, sizeof header,
                                                                 answer.memory.Get())
                                          : linux_os::SendAll(connection, &header, sizeof header);
  return sent && (header.returned == 0 ||
                  linux_os::SendAll(connection, answer.out.data(), header.returned));
}

}  // namespace

void ServeConnection(int connection, RequestHandler& handler,
                     std::chrono::milliseconds idleTimeout) {
  for (;;) {
    // A program that holds a use waits as long as it runs; a connection that holds none
    // (a probe, a client that went astray) would only keep a slot from others.
    const bool idleEnds = idleTimeout.count() > 0 && handler.UsesHeld() == 0;
    if (!WaitForFrame(connection, idleEnds ? idleTimeout : std::chrono::milliseconds(-1))) {
      return;
    }
    wire::RequestHeader header;
    if (!linux_os::ReceiveExact(connection, &header, sizeof header, kFrameTimeout)) return;
    if (header.magic != wire::kMagic || header.inSize > wire::kMaxPayload ||
        header.outSize > wire::kMaxPayload) {
      // Not a frame of this protocol: the stream cannot be trusted any further.
      SendAnswer(connection, Answer{});
      return;
    }
    uint8_t in[wire::kMaxPayload] = {};
    if (header.inSize > 0 &&
        !linux_os::ReceiveExact(connection, in, header.inSize, kFrameTimeout)) {
      return;
    }
    const Answer answer = handler.Handle(header, in);
    if (!SendAnswer(connection, answer)) return;
    if (answer.endHelper) handler.EndHelper();
  }
}

}  // namespace pacetta::portex
