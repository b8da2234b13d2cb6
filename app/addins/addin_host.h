#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "addins/addin_object.h"
#include "platform/message_box.h"
#include "platform/system.h"

namespace pacetta {

class StringTable;

enum class AddinId : uint8_t { kTollund, kVireon };

// Load statuses: accepted, loaded but of a version not accepted, without a usable
// object (none, or one of the other module's kind); anything else is the system's
// refusal to load the file.
inline constexpr uint32_t kAddinAccepted = 0;
inline constexpr uint32_t kAddinWrongVersion = 1;
inline constexpr uint32_t kAddinCorrupt = 0x80004005u;
// The file is absent or the system cannot load it (the system's "module not found").
inline constexpr uint32_t kAddinNotLoadable = 0x8007007Eu;

// "Vireon.so", "Tollund.so".
const char* AddinFileName(AddinId id);
// Whether the host takes a module of `version`: the events module 2.3.0.0 or 2.3.0.1,
// the updates module only the program's own version 2.3.5.0.
bool AddinVersionAccepted(AddinId id, uint32_t version);

// The add-in modules of one run. Modules are loaded by their full path in `folder` (the
// program's own), never through the system's library search, so a library of the same
// name elsewhere is never taken. A module whose object is not accepted is never used: its
// object is cleared before anyone hears of it.
class AddinHost {
 public:
  AddinHost(platform::System& system, std::string folder);
  // Unloads what is still loaded, updates first.
  ~AddinHost();
  AddinHost(const AddinHost&) = delete;
  AddinHost& operator=(const AddinHost&) = delete;

  // One of the statuses above; `version` is set for kAddinWrongVersion.
  uint32_t Load(AddinId id, uint32_t& version);
  // 0 when a module was unloaded, 1 when none was loaded.
  int Unload(AddinId id);
  bool Available(AddinId id) const { return Slot(id).object != nullptr; }
  addins::VireonObject* Vireon() const;
  addins::TollundObject* Tollund() const;

 private:
  struct Loaded {
    std::unique_ptr<platform::Module> module;
    addins::AddinObject* object = nullptr;
  };
  Loaded& Slot(AddinId id) { return slots_[static_cast<size_t>(id)]; }
  const Loaded& Slot(AddinId id) const { return slots_[static_cast<size_t>(id)]; }

  platform::System& system_;
  std::string folder_;
  std::array<Loaded, 2> slots_;
};

// At the window's start: loads the updates module, then the events module; a corrupt
// module is reported with an error box, one of a version not accepted with a warning box
// naming the version, and either is unloaded at once. An absent module is no error.
void LoadAddins(AddinHost& host, const StringTable& strings, platform::MessageBoxes& boxes);

}  // namespace pacetta
