// A module a test puts beside the program under a real module's name: of another
// version, of the other kind (FAKE_KIND), without the export, or without an object.
#include "addins/addin_object.h"
#include "addins/events/actions_engine_impl.h"
#include "addins/events/events_engine_impl.h"

namespace {

class FakeAddin final : public pacetta::addins::FAKE_KIND {
 public:
  uint32_t GetVersion() const override { return FAKE_VERSION; }
#if defined(FAKE_EVENTS)
  pacetta::addins::EventsEngine* GetEventsEngine() override {
    return &events_;
  }
  pacetta::addins::ActionsEngine* GetActionsEngine() override {
    return &actions_;
  }

 private:
  pacetta::addins::EventsEngineImpl events_;
  pacetta::addins::ActionsEngineImpl actions_{events_};
#endif
};

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
