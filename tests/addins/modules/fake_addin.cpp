// A module a test puts beside the program under a real module's name: of another
// version, of the other kind (FAKE_EVENTS or FAKE_UPDATES), without the export, or
// without an object.
#include "addins/addin_object.h"
#include "addins/events/actions_engine_impl.h"
#include "addins/events/events_engine_impl.h"
#include "addins/update_client/update_client.h"

namespace {

#if defined(FAKE_UPDATES)
class FakeAddin final : public pacetta::addins::UpdateClient {
 public:
  uint32_t GetVersion() const override { return FAKE_VERSION; }
};
#else
class FakeAddin final : public pacetta::addins::VireonObject {
 public:
  uint32_t GetVersion() const override { return FAKE_VERSION; }
  pacetta::addins::EventsEngine* GetEventsEngine() override { return &events_; }
  pacetta::addins::ActionsEngine* GetActionsEngine() override { return &actions_; }

 private:
  pacetta::addins::EventsEngineImpl events_;
  pacetta::addins::ActionsEngineImpl actions_{events_};
};
#endif

FakeAddin theModule;

}  // namespace

#if defined(FAKE_NO_EXPORT)
extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* SomethingElse() {
  return &theModule;
}
#elif defined(FAKE_NULL_OBJECT)
extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* CreateObject() {
  return nullptr;
}
#else
extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* CreateObject() {
  return &theModule;
}
#endif
