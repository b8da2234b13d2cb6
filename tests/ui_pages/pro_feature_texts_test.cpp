// The professional features page's list texts: the events' status and their
// descriptions with the parameter each type keeps.
#include "app/desktop/pro_feature_texts.h"

#include <gtest/gtest.h>

#include "app/strings/string_ids.h"

namespace pacetta {
namespace {

TEST(ProFeatureTexts, TheStatusShowsTheStateAndItsTimeInThreeLengths) {
  const StringTable strings;
  struct Case {
    EventStatus status;
    bool unavailable;
    std::string text;
  } cases[] = {
      {{false, true, 5000}, false, "N/A"},
      {{true, true, 0}, false, "Active (0:00)"},
      {{true, false, 59999}, false, "Inactive (0:59)"},
      {{true, true, 3599999}, false, "Active (59:59)"},
      {{true, true, 3600000}, false, "Active (1:00:00)"},
      {{true, false, 86399999}, false, "Inactive (23:59:59)"},
      {{true, true, 86400000}, false, "Active (1d.00:00:00)"},
      {{true, true, 90061000}, false, "Active (1d.01:01:01)"},
      {{true, true, 4294967295u}, false, "Active (49d.17:02:47)"},
      {{true, true, 1000}, true, "Not available on this desktop"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EventStatusText(strings, c.status, c.unavailable), c.text) << c.status.timeInStateMs;
  }
}

TEST(ProFeatureTexts, TheTypeColumnFillsInEachTypesParameter) {
  const StringTable strings;
  const std::vector<std::string> profiles = {"No management", "Power saving"};
  OsSchemeChoice balanced{{}, "Balanced"};
  balanced.id[0] = 7;
  const std::vector<OsSchemeChoice> schemes = {{{}, "Quiet"}, balanced};
  using addins::EventType;
  struct Case {
    EventType type;
    int32_t parameter;
    std::string text;
  } cases[] = {
      {EventType::kDaily, 43200, "Calendar: daily"},
      {EventType::kProfileIs, 1, "Internal profile changes to \"Power saving\""},
      {EventType::kProfileIs, -1, "Internal profile changes to \"<Undefined>\""},
      {EventType::kProfileIs, 2, "Internal profile changes to \"<Undefined>\""},
      {EventType::kBatteryBelow, 30, "Battery level drops below 30%"},
      {EventType::kTemperatureAbove, 85, "CPU core temperature rises above 85°C"},
      {EventType::kNoInput, 600, "No user input activity for 600 sec"},
      {EventType::kSuspending, 2000, "System enters into Standby/Hibernate"},
      {EventType::kPowerSourceIs, 1, "System power source changes to \"AC power\""},
      {EventType::kPowerSourceIs, 0, "System power source changes to \"Battery\""},
      {EventType::kPowerSchemeIs, 7, "OS power scheme changes to \"Balanced\""},
  };
  for (const Case& c : cases) {
    addins::EventRecord event = addins::BlankEvent();
    event.type = static_cast<int32_t>(c.type);
    addins::WriteParameter(event.parameters, 0, c.parameter);
    EXPECT_EQ(EventTypeText(strings, event, {profiles, schemes}), c.text);
  }
  addins::EventRecord running = addins::BlankEvent();
  addins::SetFieldText(running.parameters, "backup.sh");
  EXPECT_EQ(EventTypeText(strings, running, {}), "Application running: \"backup.sh\"");

  EXPECT_EQ(EventSourcesText(strings, addins::kOnAc), "AC power");
  EXPECT_EQ(EventSourcesText(strings, addins::kOnBattery), "Battery");
  EXPECT_EQ(EventSourcesText(strings, addins::kOnAc | addins::kOnBattery), "AC power, Battery");
}

}  // namespace
}  // namespace pacetta
