// The interface between the program and its add-in modules: shared libraries beside the
// program that each export one C function, CreateObject, handing over the module's one
// object. Host and modules are built with the same compiler from this header, so the
// object's operations are called through its table of virtual functions, in the order
// declared here; a module adds its operations after the common two.
#pragma once
#include <atomic>
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

class UpdateHostWindow;

// The updates module. Results are 0 for success, 1 for the outcome each operation names,
// negative for an error whose text GetErrorText then holds. The texts returned point into
// the module's object and stay valid until the next call that changes them.
class PACETTA_ADDIN_EXPORT TollundObject : public AddinObject {
 public:
  virtual void SetHostWindow(UpdateHostWindow* window) = 0;
  // The server's host name and the folder of the updates on it.
  virtual void SetServer(const char* host, const char* path) = 0;
  virtual void SetCurrentVersion(uint32_t version) = 0;
  virtual const char* GetErrorText() const = 0;
  virtual void SetErrorText(const char* text) = 0;
  virtual const char* GetDescription() const = 0;
  virtual void SetDescription(const char* text) = 0;
  // The package's name on the server and its full path here.
  virtual void GetFiles(const char** remote, const char** local) const = 0;
  virtual void SetFiles(const char* remote, const char* local) = 0;
  virtual uint32_t GetUpdateLength() const = 0;
  virtual void SetUpdateLength(uint32_t length) = 0;
  virtual bool IsConnected() = 0;
  // 0 an update applies, 1 none does.
  virtual int32_t CheckForUpdate() = 0;
  virtual int32_t RetrieveUpdateInfo() = 0;
  // 1 when cancelled through `cancel`, which is then reset to 0.
  virtual int32_t Download(std::atomic<int>* cancel) = 0;
  virtual int32_t Install() = 0;
  virtual int32_t RemoveBackups() = 0;
};

}  // namespace pacetta::addins

extern "C" {
// The one export of a module: its object, the same every call, or null when the module
// cannot provide one.
using PacettaCreateObject = pacetta::addins::AddinObject* (*)();
}
