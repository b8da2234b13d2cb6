#pragma once
#include <cstdint>
#include <mutex>
#include <optional>

#include "hw/pci_bus_manager.h"

namespace pacetta {

// Function 3 (miscellaneous control) of every AMD K8 node's northbridge, shared by all
// processors' threads. A configuration access is an address write followed by a data
// access, so the node selection and every access that depends on it run under one lock.
class CK8Northbridge {
 public:
  // One node selected with the lock held, for sequences that must not interleave with
  // another thread's (read, write back with a changed bit, read again). Accesses to a
  // node without a northbridge (above 7) read 0 and write nothing.
  class Session {
   public:
    uint32_t ReadByte(uint32_t reg);
    uint32_t ReadWord(uint32_t reg);
    uint32_t ReadDword(uint32_t reg);
    bool WriteByte(uint32_t reg, uint32_t value);
    bool WriteWord(uint32_t reg, uint32_t value);
    bool WriteDword(uint32_t reg, uint32_t value);
    bool HasDevice() const { return owner_.selected_.has_value(); }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

   private:
    friend class CK8Northbridge;
    Session(CK8Northbridge& owner, uint32_t node);

    CK8Northbridge& owner_;
    std::lock_guard<std::mutex> lock_;
  };

  explicit CK8Northbridge(CPortexDriver& driver);
  CK8Northbridge(const CK8Northbridge&) = delete;
  CK8Northbridge& operator=(const CK8Northbridge&) = delete;

  // Takes the lock and selects `node`; the lock is held until the session ends, so a
  // thread holding a session must not start another or use the single accesses below.
  Session Select(uint32_t node);

  // Single accesses, each under the lock.
  uint32_t ReadDword(uint32_t node, uint32_t reg) { return Select(node).ReadDword(reg); }
  bool WriteDword(uint32_t node, uint32_t reg, uint32_t value) {
    return Select(node).WriteDword(reg, value);
  }

  // The location of the node selected last: bus 0, device-function 0xC3 (node 0) after
  // construction; nullopt after selecting a node that has no northbridge.
  std::optional<PciLocation> SelectedLocation();

 private:
  std::mutex mutex_;
  CPCIBusManager pci_;
  std::optional<PciLocation> selected_;
};

}  // namespace pacetta
