#include "tools/portex64/polkit_check.h"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

#include "platform/linux/bus_deadline.h"
#include "platform/linux/system_bus.h"

namespace pacetta::portex {
namespace {

constexpr uint32_t kAllowUserInteraction = 1;

struct SlotUnref {
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using BusSlotPtr = std::unique_ptr<sd_bus_slot, SlotUnref>;

// Filled in by the reply callback; outlives the bus and the slot that point at it.
struct PendingCall {
  bool done = false;
  PolkitAnswer answer;
};

int OnReply(sd_bus_message* reply, void* data, sd_bus_error* /*error*/) {
  auto& call = *static_cast<PendingCall*>(data);
  call.done = true;
  if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
    call.answer.why = std::string("polkit failed: ") + (error->message ? error->message : "");
    return 0;
  }
  int authorized = 0, challenge = 0;
  if (sd_bus_message_enter_container(reply, 'r', "bba{ss}") < 0 ||
      sd_bus_message_read(reply, "bb", &authorized, &challenge) < 0) {
    call.answer.why = "polkit sent a malformed answer";
    return 0;
  }
  call.answer.authorized = authorized != 0;
  if (!call.answer.authorized) call.answer.why = "not authorized by polkit";
  return 0;
}

int AppendCheck(sd_bus_message* call, const PolkitSubject& subject, const char* action,
                bool interactive) {
  int r = sd_bus_message_append(call, "(sa{sv})", "unix-process", 3, "pid", "u",
                                static_cast<uint32_t>(subject.pid), "start-time", "t",
                                subject.startTime, "uid", "i", static_cast<int32_t>(subject.uid));
  if (r >= 0) r = sd_bus_message_append(call, "s", action);
  if (r >= 0) r = sd_bus_message_append(call, "a{ss}", 0);
  if (r >= 0) r = sd_bus_message_append(call, "u", interactive ? kAllowUserInteraction : 0u);
  // No cancellation id: leaving the bus ends polkit's dialogue with the agent.
  if (r >= 0) r = sd_bus_message_append(call, "s", "");
  return r;
}

}  // namespace

PolkitAnswer AskPolkit(const PolkitSubject& subject, const char* action, bool interactive,
                       std::chrono::milliseconds timeout, int connection) {
  PendingCall pending;
  sd_bus* raw = nullptr;
  // A connection of its own per question: each client's thread asks on its own.
  if (const int r = sd_bus_open_system(&raw); r < 0) {
    return {false, std::string("polkit unreachable: ") + std::strerror(-r)};
  }
  const linux_os::BusConnectionPtr bus(raw);
  sd_bus_message* message = nullptr;
  int r = sd_bus_message_new_method_call(
      bus.get(), &message, "org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority",
      "org.freedesktop.PolicyKit1.Authority", "CheckAuthorization");
  const linux_os::BusMessagePtr call(message);
  if (r >= 0) r = AppendCheck(call.get(), subject, action, interactive);
  sd_bus_slot* rawSlot = nullptr;
  const auto timeoutUs = static_cast<uint64_t>(timeout.count()) * 1000;
  if (r >= 0) r = sd_bus_call_async(bus.get(), &rawSlot, call.get(), OnReply, &pending, timeoutUs);
  const BusSlotPtr slot(rawSlot);
  if (r < 0) return {false, std::string("polkit unreachable: ") + std::strerror(-r)};

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!pending.done) {
    r = sd_bus_process(bus.get(), nullptr);
    if (r < 0) return {false, std::string("polkit unreachable: ") + std::strerror(-r)};
    if (r > 0) continue;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {false, "polkit did not answer in time"};
    uint64_t busDeadline = UINT64_MAX;
    sd_bus_get_timeout(bus.get(), &busDeadline);
    int wait = static_cast<int>(std::min<int64_t>(left.count() + 1, INT_MAX));
    const int busWait = linux_os::MillisecondsUntil(busDeadline);
    if (busWait >= 0) wait = std::min(wait, busWait);
    const int events = sd_bus_get_events(bus.get());
    pollfd entries[2] = {{sd_bus_get_fd(bus.get()), static_cast<short>(events < 0 ? 0 : events), 0},
                         {connection, POLLRDHUP, 0}};
    if (poll(entries, 2, wait) < 0 && errno != EINTR) return {false, "polkit: poll failed"};
    if (entries[1].revents != 0) return {false, "the client left before polkit answered"};
  }
  return pending.answer;
}

}  // namespace pacetta::portex
