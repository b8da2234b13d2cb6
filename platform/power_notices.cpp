#include "platform/power_notices.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

namespace pacetta::platform {

const char* PowerNoticeName(PowerNotice notice) {
  switch (notice) {
    case PowerNotice::kStatusChanged:
      return "status-changed";
    case PowerNotice::kSuspending:
      return "suspending";
    case PowerNotice::kResumed:
      return "resumed";
  }
  return "unknown";
}

// The subscribed listeners, shared with the subscriptions so that either may go first.
struct PowerNoticeListeners {
  std::mutex listMutex;
  std::vector<std::pair<uint64_t, PowerListener*>> list;
  uint64_t nextId = 1;
  // Held for a whole delivery, so an unsubscribe from another thread waits for it.
  std::mutex deliveryMutex;
  std::atomic<std::thread::id> deliveringThread{};

  PowerListener* Find(uint64_t id) {
    std::lock_guard lock(listMutex);
    const auto it = std::find_if(list.begin(), list.end(), [id](auto& e) { return e.first == id; });
    return it == list.end() ? nullptr : it->second;
  }
  void Remove(uint64_t id) {
    std::lock_guard lock(listMutex);
    std::erase_if(list, [id](auto& e) { return e.first == id; });
  }
};

namespace {

class QueueSubscription final : public PowerSubscription {
 public:
  QueueSubscription(std::shared_ptr<PowerNoticeListeners> listeners, uint64_t id)
      : listeners_(std::move(listeners)), id_(id) {}
  ~QueueSubscription() override {
    // A listener may drop a subscription from inside a delivery: the delivering thread
    // already holds the delivery lock and checks membership before every call.
    if (listeners_->deliveringThread.load() == std::this_thread::get_id()) {
      listeners_->Remove(id_);
      return;
    }
    std::lock_guard delivery(listeners_->deliveryMutex);
    listeners_->Remove(id_);
  }
  QueueSubscription(const QueueSubscription&) = delete;
  QueueSubscription& operator=(const QueueSubscription&) = delete;

 private:
  std::shared_ptr<PowerNoticeListeners> listeners_;
  uint64_t id_;
};

}  // namespace

PowerNoticeQueue::PowerNoticeQueue() : listeners_(std::make_shared<PowerNoticeListeners>()) {}

PowerNoticeQueue::~PowerNoticeQueue() {
  if (thread_.joinable()) {
    thread_.request_stop();
    changed_.notify_all();
    thread_.join();
  }
}

std::unique_ptr<PowerSubscription> PowerNoticeQueue::Subscribe(PowerListener& listener) {
  std::lock_guard lock(listeners_->listMutex);
  const uint64_t id = listeners_->nextId++;
  listeners_->list.emplace_back(id, &listener);
  return std::make_unique<QueueSubscription>(listeners_, id);
}

void PowerNoticeQueue::Post(PowerNotice notice, std::function<void()> afterDelivery) {
  std::lock_guard lock(mutex_);
  pending_.push_back({notice, std::move(afterDelivery)});
  ++posted_;
  if (!thread_.joinable()) thread_ = std::jthread([this](std::stop_token stop) { Deliver(stop); });
  changed_.notify_all();
}

bool PowerNoticeQueue::WaitDelivered(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  const uint64_t target = posted_;
  return changed_.wait_for(lock, timeout, [&] { return delivered_ >= target; });
}

void PowerNoticeQueue::Deliver(std::stop_token stop) {
  for (;;) {
    Pending next;
    {
      std::unique_lock lock(mutex_);
      if (!changed_.wait(lock, stop, [&] { return !pending_.empty(); })) return;
      next = std::move(pending_.front());
      pending_.pop_front();
    }
    {
      std::lock_guard delivery(listeners_->deliveryMutex);
      listeners_->deliveringThread = std::this_thread::get_id();
      std::vector<uint64_t> ids;
      {
        std::lock_guard lock(listeners_->listMutex);
        for (const auto& entry : listeners_->list) ids.push_back(entry.first);
      }
      // A listener may unsubscribe another one meanwhile: look each up again.
      for (const uint64_t id : ids) {
        if (PowerListener* listener = listeners_->Find(id)) listener->OnPowerNotice(next.notice);
      }
      listeners_->deliveringThread = std::thread::id();
    }
    if (next.afterDelivery) next.afterDelivery();
    {
      std::lock_guard lock(mutex_);
      ++delivered_;
    }
    changed_.notify_all();
  }
}

}  // namespace pacetta::platform
