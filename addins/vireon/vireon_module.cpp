// Vireon.so: the events and actions module.
#include "addins/addin_object.h"
#include "addins/events/actions_engine_impl.h"
#include "addins/events/events_engine_impl.h"

namespace {

class Vireon final : public pacetta::addins::VireonObject {
 public:
  uint32_t GetVersion() const override { return pacetta::addins::kVireonVersion; }
  pacetta::addins::EventsEngine* GetEventsEngine() override { return &events_; }
  pacetta::addins::ActionsEngine* GetActionsEngine() override { return &actions_; }

 private:
  pacetta::addins::EventsEngineImpl events_;
  // The actions engine reads its events' states straight from the events engine.
  pacetta::addins::ActionsEngineImpl actions_{events_};
};

Vireon theModule;

}  // namespace

extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* CreateObject() {
  return &theModule;
}
