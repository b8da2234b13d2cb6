#include "ui/pages/pro_features/editor_choices.h"

namespace pacetta::ui {
namespace {

std::vector<std::string> ProfileNames(const DesktopModel& model) {
  const ProfileStore& profiles = model.Settings().profiles;
  std::vector<std::string> names;
  for (int32_t i = 0; i < profiles.Count(); ++i) names.push_back(NameOf(*profiles.At(i)));
  return names;
}

}  // namespace

EventChoices EventChoicesOf(const DesktopModel& model) {
  return {ProfileNames(model), model.OsSettings().schemes, model.IdleTimeAvailable()};
}

ActionChoices ActionChoicesOf(const DesktopModel& model, const ProFeatures& lists) {
  ActionChoices choices;
  for (int32_t i = 0; i < lists.EventCount(); ++i) {
    choices.events.emplace_back(addins::FieldText(lists.Event(i).name));
  }
  choices.profiles = ProfileNames(model);
  return choices;
}

}  // namespace pacetta::ui
