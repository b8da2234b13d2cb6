// The host's lists: stored byte for byte, made safe when read, renumbered after deletions,
// pushed so that the engines act on what the editors changed.
#include "app/addins/pro_features.h"

#include <gtest/gtest.h>

#include <cstring>

#include "addins/events/actions_engine_impl.h"
#include "addins/events/events_engine_impl.h"
#include "app/addins/command_line.h"
#include "platform/memory_registry.h"
#include "tests/addins/engines/engine_test_support.h"
#include "tests/addins/engines/fake_host_window.h"

namespace pacetta {
namespace {

using addins::ActionType;
using addins::EventType;
using testing::FakeHostWindow;
using testing::MakeAction;
using testing::MakeEvent;

std::vector<uint8_t> Bytes(const auto& record) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  return {bytes, bytes + sizeof(record)};
}

class ProFeaturesTest : public ::testing::Test {
 protected:
  void Store(uint32_t version, const std::vector<uint8_t>& events,
             const std::vector<uint8_t>& actions) {
    auto key = registry.OpenUserKey(kProFeaturesKeyPath, true);
    key->WriteDword("ModuleVersion", version);
    key->WriteBinary("EventsData", events);
    key->WriteBinary("ActionsData", actions);
  }
  std::vector<uint8_t> Stored(const char* name) {
    return *registry.OpenUserKey(kProFeaturesKeyPath, false)->ReadBinary(name);
  }
  std::vector<int32_t> EventIndices() const {
    std::vector<int32_t> indices;
    for (int32_t i = 0; i < lists.ActionCount(); ++i) indices.push_back(lists.Action(i).eventIndex);
    return indices;
  }

  platform::MemoryRegistry registry;
  FakeHostWindow host;
  addins::EventsEngineImpl events;
  addins::ActionsEngineImpl actions{events};
  ProFeatures lists{events, actions, host, addins::kVireonVersion};
};

TEST_F(ProFeaturesTest, StoredListsComeBackByteForByte) {
  addins::EventRecord event = MakeEvent(EventType::kApplicationRunning);
  addins::SetFieldText(event.name, "Editor");
  addins::SetFieldText(event.parameters, "editor");
  addins::ActionRecord action = MakeAction(ActionType::kChangeProfile, 1, 2, true);
  addins::SetFieldText(action.name, "Quiet");
  std::vector<uint8_t> twoEvents = Bytes(event);
  const std::vector<uint8_t> second = Bytes(MakeEvent(EventType::kBatteryBelow, 15));
  twoEvents.insert(twoEvents.end(), second.begin(), second.end());
  Store(0x02030001u, twoEvents, Bytes(action));
  lists.Load(registry);
  ASSERT_EQ(lists.EventCount(), 2);
  ASSERT_EQ(lists.ActionCount(), 1);
  EXPECT_EQ(events.GetCount(), 2);
  EXPECT_EQ(addins::FieldText(events.GetRecord(0)->parameters), "editor");

  ASSERT_TRUE(lists.Save(registry));
  EXPECT_EQ(Stored("EventsData"), twoEvents);
  EXPECT_EQ(Stored("ActionsData"), Bytes(action));
  EXPECT_EQ(registry.OpenUserKey(kProFeaturesKeyPath, false)->ReadDword("ModuleVersion"),
            0x02030001u);
}

TEST_F(ProFeaturesTest, UnusableStoredListsGiveEmptyOnes) {
  const std::vector<uint8_t> event = Bytes(MakeEvent(EventType::kProfileIs, 1));
  struct Case {
    const char* what;
    uint32_t version;
    std::vector<uint8_t> events;
  };
  const std::vector<Case> cases = {
      {"an older format", 0x02020000u, event},
      {"more records than slots", 0x02030001u, std::vector<uint8_t>(257 * 320)},
  };
  for (const Case& c : cases) {
    Store(c.version, c.events, {});
    lists.Load(registry);
    EXPECT_EQ(lists.EventCount(), 0) << c.what;
    EXPECT_EQ(events.GetCount(), 0) << c.what;
  }
}

TEST_F(ProFeaturesTest, StoredRecordsAreMadeSafeBeforeTheEnginesSeeThem) {
  addins::EventRecord event = MakeEvent(EventType::kOneTime);
  event.name.fill('n');
  event.active = 1;
  addins::WriteParameter<int64_t>(event.parameters, addins::kLastDifferenceAt, -5);
  std::vector<uint8_t> actionBytes;
  for (int32_t index : {-5, 0, 3, -1}) {
    const std::vector<uint8_t> bytes = Bytes(MakeAction(ActionType::kRunApplication, index));
    actionBytes.insert(actionBytes.end(), bytes.begin(), bytes.end());
  }
  addins::ActionRecord unknown = MakeAction(static_cast<ActionType>(9), 0);
  const std::vector<uint8_t> unknownBytes = Bytes(unknown);
  actionBytes.insert(actionBytes.end(), unknownBytes.begin(), unknownBytes.end());
  Store(0x02030001u, Bytes(event), actionBytes);
  lists.Load(registry);
  EXPECT_EQ(addins::FieldText(lists.Event(0).name).size(), 31u);
  EXPECT_EQ(lists.Event(0).active, 0);
  // A moment stored as pending is not taken for one crossed at the first evaluation.
  EXPECT_EQ(addins::ReadParameter<int64_t>(lists.Event(0).parameters, addins::kLastDifferenceAt),
            0);
  EXPECT_EQ(EventIndices(), (std::vector<int32_t>{-1, 0, -1, -1, 0}));
  std::vector<int32_t> enabled;
  for (int32_t i = 0; i < lists.ActionCount(); ++i) enabled.push_back(lists.Action(i).enabled);
  EXPECT_EQ(enabled, (std::vector<int32_t>{0, 1, 0, 1, 0}));
}

TEST_F(ProFeaturesTest, DeletingAnEventRenumbersTheActionsAndStoresAtOnce) {
  lists.Load(registry);
  for (int32_t i = 0; i < 4; ++i) lists.AddEvent(MakeEvent(EventType::kProfileIs, i));
  for (int32_t index : {3, 2, 1, -1}) lists.AddAction(MakeAction(ActionType::kStandby, index));
  lists.DeleteEvent(2);
  EXPECT_EQ(lists.EventCount(), 3);
  EXPECT_EQ(EventIndices(), (std::vector<int32_t>{2, -1, 1, -1}));
  EXPECT_EQ(lists.Action(1).enabled, 0);
  EXPECT_EQ(actions.GetRecord(0)->eventIndex, 2);
  EXPECT_EQ(addins::ReadParameter<int32_t>(events.GetRecord(2)->parameters, 0), 3);
  EXPECT_EQ(Stored("EventsData").size(), 3u * 320);
}

TEST_F(ProFeaturesTest, DeletingAProfileRenumbersEventsActionsAndWhatActionsWillRestore) {
  lists.Load(registry);
  lists.AddEvent(MakeEvent(EventType::kProfileIs, 4));
  lists.AddEvent(MakeEvent(EventType::kProfileIs, 5));
  lists.AddEvent(MakeEvent(EventType::kPowerSourceIs, 1));
  lists.AddAction(MakeAction(ActionType::kChangeProfile, 2, 5, true));
  lists.AddAction(MakeAction(ActionType::kChangeProfile, 0, 4));
  host.profiles = {{0, 6}, {1, 3}};
  lists.Evaluate();  // action 0 in effect: profile 5 now, 6 and 3 to come back
  ASSERT_EQ(actions.GetRecord(0)->active, 1);

  lists.ProfileDeleted(4);
  EXPECT_EQ(addins::ReadParameter<int32_t>(lists.Event(0).parameters, 0), -1);
  EXPECT_EQ(lists.Event(0).enabled, 0);
  EXPECT_EQ(addins::ReadParameter<int32_t>(lists.Event(1).parameters, 0), 4);
  EXPECT_EQ(addins::ReadParameter<int32_t>(lists.Action(0).parameters, addins::kProfileIndexAt), 4);
  EXPECT_EQ(lists.Action(1).enabled, 0);
  // Ended on the deletion, giving back profile 6 as it is numbered now.
  EXPECT_EQ(host.profileChanges.back(), (FakeHostWindow::SentProfile{3, 1}));
  EXPECT_EQ(host.profileChanges[host.profileChanges.size() - 2],
            (FakeHostWindow::SentProfile{5, 0}));
}

TEST_F(ProFeaturesTest, ListsRefuseTheirTwoHundredFiftySeventhRecordAndEdgeMoves) {
  lists.Load(registry);
  for (int32_t i = 0; i < addins::kMaxEvents; ++i)
    ASSERT_TRUE(lists.AddEvent(MakeEvent(EventType::kResumed)));
  EXPECT_FALSE(lists.AddEvent(MakeEvent(EventType::kResumed)));
  lists.AddAction(MakeAction(ActionType::kStandby, 0));
  lists.AddAction(MakeAction(ActionType::kHibernate, 1));
  EXPECT_FALSE(lists.MoveAction(0, /*up=*/true));
  EXPECT_FALSE(lists.MoveAction(1, /*up=*/false));
  EXPECT_TRUE(lists.MoveAction(1, /*up=*/true));
  EXPECT_EQ(actions.GetRecord(0)->type, static_cast<int32_t>(ActionType::kHibernate));
}

TEST_F(ProFeaturesTest, SwitchingAnActionOffInEffectGivesItsProfilesBack) {
  lists.Load(registry);
  host.profiles = {{0, 2}, {1, 2}};
  lists.AddEvent(MakeEvent(EventType::kPowerSourceIs, 1, addins::kOnAc));
  lists.AddAction(MakeAction(ActionType::kChangeProfile, 0, 1, true));
  lists.Evaluate();
  ASSERT_EQ(host.profileChanges.size(), 1u);
  lists.SetActionEnabled(0, false);
  EXPECT_EQ(host.profileChanges.back(), (FakeHostWindow::SentProfile{2, 0}));
  EXPECT_EQ(actions.GetRecord(0)->active, 0);
}

TEST(CommandLine, SplitsProgramAndParametersAsACommandLineDoes) {
  struct Case {
    const char* line;
    std::optional<std::vector<std::string>> parts;
  };
  const std::vector<Case> cases = {
      {"/usr/bin/backup --quick  now",
       std::vector<std::string>{"/usr/bin/backup", "--quick", "now"}},
      {"\"/opt/My Tools/run\" \"a b\" c",
       std::vector<std::string>{"/opt/My Tools/run", "a b", "c"}},
      {"say \"he said \"\"hi\"\"\"", std::vector<std::string>{"say", "he said \"hi\""}},
      {"  \t ", std::nullopt},
      {"\"unclosed", std::nullopt},
      {"\"\" arg", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<CommandLine> command = SplitCommandLine(c.line);
    ASSERT_EQ(command.has_value(), c.parts.has_value()) << c.line;
    if (!command) continue;
    std::vector<std::string> parts{command->program};
    parts.insert(parts.end(), command->arguments.begin(), command->arguments.end());
    EXPECT_EQ(parts, *c.parts) << c.line;
  }
}

}  // namespace
}  // namespace pacetta
