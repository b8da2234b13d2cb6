#include "engine/monitor/monitoring_threads.h"

#include <new>
#include <system_error>

#include "hw/pinning.h"

namespace pacetta {

MonitoringThreads::MonitoringThreads(platform::Processors& processors,
                                     platform::NamedEvent& stopSignal, ThreadStarter starter)
    : processors_(processors), stopSignal_(stopSignal), starter_(std::move(starter)) {}

MonitoringThreads::~MonitoringThreads() {
  Stop();
}

bool MonitoringThreads::Start(uint32_t count, SampleFunction sample) {
  if (Running() || count == 0 || count > kMaxProcessors) return false;
  sample_ = std::move(sample);
  stopping_ = false;
  ended_ = 0;
  for (uint32_t k = 0; k < count; ++k) {
    channels_[k].requested.Reset();
    channels_[k].done.Reset();
  }
  try {
    threads_.reserve(count);
    for (uint32_t k = 0; k < count; ++k) {
      threads_.push_back(starter_([this, k] { Loop(k); }));
    }
  } catch (const std::system_error&) {
    Stop();
    return false;
  } catch (const std::bad_alloc&) {
    Stop();
    return false;
  }
  return true;
}

void MonitoringThreads::Loop(uint32_t processor) {
  // Bound before the first reading: every reading acts on the processor it runs on.
  PinToProcessor(processors_, processor);
  Channel& channel = channels_[processor];
  for (;;) {
    channel.requested.Wait();
    channel.requested.Reset();
    if (ShouldEnd()) break;
    sample_(processor);
    channel.done.Set();
  }
  ++ended_;
  // A refresh that asked at the moment of the stop must not wait for this thread.
  channel.done.Set();
}

bool MonitoringThreads::SampleAll() {
  if (!Running() || ended_.load() != 0 || ShouldEnd()) return false;
  const auto count = static_cast<uint32_t>(threads_.size());
  for (uint32_t k = 0; k < count; ++k) channels_[k].requested.Set();
  for (uint32_t k = 0; k < count; ++k) channels_[k].done.Wait();
  for (uint32_t k = 0; k < count; ++k) channels_[k].done.Reset();
  return ended_.load() == 0;
}

void MonitoringThreads::Stop() {
  stopping_ = true;
  for (uint32_t k = 0; k < threads_.size(); ++k) channels_[k].requested.Set();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
  threads_.clear();
}

}  // namespace pacetta
