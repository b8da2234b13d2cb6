#include "platform/battery_notices.h"

namespace pacetta::platform {
namespace {

// Turns the queue's status notices into battery device notices for one listener.
class Forwarder final : public PowerListener {
 public:
  explicit Forwarder(BatteryListener& listener) : listener_(listener) {}
  void OnPowerNotice(PowerNotice notice) override {
    if (notice == PowerNotice::kStatusChanged) listener_.OnBatteryDevicesChanged();
  }

 private:
  BatteryListener& listener_;
};

class ForwardingSubscription final : public BatterySubscription {
 public:
  ForwardingSubscription(PowerNoticeQueue& queue, BatteryListener& listener)
      : forwarder_(listener), inner_(queue.Subscribe(forwarder_)) {}
  // The inner subscription goes first: it waits for a delivery through the forwarder.
  ~ForwardingSubscription() override { inner_.reset(); }

 private:
  Forwarder forwarder_;
  std::unique_ptr<PowerSubscription> inner_;
};

}  // namespace

std::unique_ptr<BatterySubscription> BatteryNoticeQueue::Subscribe(BatteryListener& listener) {
  return std::make_unique<ForwardingSubscription>(queue_, listener);
}

void BatteryNoticeQueue::PostDevicesChanged() {
  queue_.Post(PowerNotice::kStatusChanged);
}

}  // namespace pacetta::platform
