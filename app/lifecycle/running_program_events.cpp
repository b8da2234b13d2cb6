// The running program's side of the events module: its lists, its engines' requests and
// the moments at which the events are evaluated.
#include <span>

#include "app/addins/pro_features.h"
#include "app/lifecycle/running_program.h"
#include "app/window_messages.h"

namespace pacetta {

void RunningProgram::StartProFeatures() {
  addins::VireonObject* module = application_.Addins().Vireon();
  if (module == nullptr) return;
  addins::EventsEngine* events = module->GetEventsEngine();
  addins::ActionsEngine* actions = module->GetActionsEngine();
  if (events == nullptr || actions == nullptr) return;
  engineWindow_ = std::make_unique<EngineHostWindow>(
      platform_, [this](uint32_t message, uint64_t wParam, int64_t lParam) {
        return AnswerEngineRequest(message, wParam, lParam);
      });
  proFeatures_ =
      std::make_unique<ProFeatures>(*events, *actions, *engineWindow_, module->GetVersion());
  proFeatures_->Load(platform_.registry);
}

int64_t RunningProgram::AnswerEngineRequest(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == kMsgPowerScheme) {
    // The engine's own 16-byte buffer, zeroed by it.
    auto* buffer = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(wParam));
    if (buffer == nullptr) return 0;
    return AnswerSchemeRequest(std::span<uint8_t, 16>(buffer, 16));
  }
  return OnSent({message, static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam)});
}

void RunningProgram::EvaluateEvents() {
  if (proFeatures_ && !shutDown_) proFeatures_->Evaluate();
}

ProFeatures* RunningProgram::ProFeaturesLists() const {
  return proFeatures_.get();
}

bool RunningProgram::IdleTimeAvailable() const {
  return platform_.session != nullptr && platform_.session->IdleTimeAvailable();
}

void RunningProgram::EndProFeatures() {
  if (!proFeatures_) return;
  // Before the engine stops: the actions in effect give their profiles back.
  proFeatures_->Shutdown();
  proFeatures_->Save(platform_.registry);
}

}  // namespace pacetta
