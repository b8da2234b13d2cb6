// The interface between the program and its add-in modules: shared libraries beside the
// program that each export one C function, CreateObject, handing over the module's one
// object. Host and modules are built with the same compiler from this header, so the
// object's operations are called through its table of virtual functions, in the order
// declared here; a module adds its operations after the common two.
#pragma once
#include <cstdint>

#if defined(__GNUC__)
#define PACETTA_ADDIN_EXPORT __attribute__((visibility("default")))
#else
#define PACETTA_ADDIN_EXPORT
#endif

namespace pacetta::addins {

// One byte per component, most significant first: 2.3.0.1 is 0x02030001.
inline constexpr uint32_t kVireonVersion = 0x02030001u;   // events and actions
inline constexpr uint32_t kTollundVersion = 0x02030500u;  // updates; the program's own

// The object a module hands over. It is a static object of the module: the host never
// deletes it, and it goes with the module's other static data when the module is
// unloaded. The interfaces' type information is shared by host and modules, as the
// checks of virtual calls compare it.
class PACETTA_ADDIN_EXPORT AddinObject {
 public:
  virtual ~AddinObject() = default;
  virtual uint32_t GetVersion() const = 0;
};

class EventsEngine;
class ActionsEngine;

// The events and actions module: its two engines, the same objects every call.
class PACETTA_ADDIN_EXPORT VireonObject : public AddinObject {
 public:
  virtual EventsEngine* GetEventsEngine() = 0;
  virtual ActionsEngine* GetActionsEngine() = 0;
};

// The updates module. Its update operations follow its version.
class PACETTA_ADDIN_EXPORT TollundObject : public AddinObject {};

}  // namespace pacetta::addins

extern "C" {
// The one export of a module: its object, the same every call, or null when the module
// cannot provide one.
using PacettaCreateObject = pacetta::addins::AddinObject* (*)();
}
