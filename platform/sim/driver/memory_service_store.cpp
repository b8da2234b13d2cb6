#include "platform/sim/driver/service_store.h"

namespace pacetta::sim {

bool MemoryServiceStore::Update(const std::function<void(ServiceTable&)>& change) {
  std::lock_guard lock(mutex_);
  change(table_);
  return true;
}

}  // namespace pacetta::sim
