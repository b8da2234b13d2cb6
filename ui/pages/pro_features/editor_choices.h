#pragma once
#include "app/addins/pro_features.h"
#include "app/desktop/desktop_model.h"
#include "ui/pages/pro_features/action_editor.h"
#include "ui/pages/pro_features/event_editor.h"

namespace pacetta::ui {

// What the editors offer now: the profiles under their names, the system's power
// schemes, whether the idle time is known, and the events' names.
EventChoices EventChoicesOf(const DesktopModel& model);
ActionChoices ActionChoicesOf(const DesktopModel& model, const ProFeatures& lists);

}  // namespace pacetta::ui
