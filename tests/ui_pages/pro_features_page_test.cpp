// The professional features page: the event editor's fields by type and what it stores,
// the lists' limits and the edits that go to the module's engines.
#include "ui/pages/pro_features/pro_features_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>
#include <functional>
#include <memory>
#include <set>
#include <tuple>

#include "app/strings/string_ids.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/pro_features_rig.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/pro_features/event_editor.h"
#include "ui/pages/pro_features/record_list.h"

namespace pacetta::ui {
namespace {

using addins::EventType;
using testing::Box;
using testing::PageModel;
using testing::ProFeaturesRig;
using testing::RecordingHost;

template <typename T>
T& Find(QWidget& parent, const QString& name) {
  T* control = parent.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error("no control " + name.toStdString());
  return *control;
}

void Click(QWidget& page, const char* name) {
  Find<QPushButton>(page, name).click();
}

// Works the next modal dialog, then accepts it; a test that expects none fails when one
// opens.
template <typename Dialog>
void AnswerEditor(std::function<void(Dialog&)> fill) {
  QTimer::singleShot(0, [fill] {
    auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr) << "no editor open";
    fill(*dialog);
    dialog->accept();
  });
}

EventChoices Choices() {
  OsSchemeChoice second{{}, "Balanced"};
  second.id.fill(0xAB);
  return {{"No management", "Power saving"}, {{{}, "Quiet"}, second}, false};
}

TEST(EventEditor, ShowsOnlyTheFieldsOfTheChosenType) {
  testing::TestApp();
  const StringTable strings;
  EventEditor editor(strings, Choices(), {}, nullptr);
  const QString all[] = {"StartDate",   "StartTime",       "RepeatHours", "Day0",
                         "Day6",        "ApplicationName", "Profile",     "Level",
                         "Temperature", "IdleSeconds",     "IdleNote",    "StandbyMs",
                         "PowerSource", "PowerScheme"};
  const std::set<QString> calendar = {"StartDate", "StartTime"};
  const std::set<QString> shown[] = {
      calendar,
      {"StartDate", "StartTime", "RepeatHours"},
      {"StartDate", "StartTime", "Day0", "Day6"},
      {"ApplicationName"},
      {"Profile"},
      {"Level"},
      {"Level"},
      {"Temperature"},
      {"Temperature"},
      {"IdleSeconds", "IdleNote"},  // the desktop cannot tell the idle time here
      {"StandbyMs"},
      {},
      {"PowerSource"},
      {"PowerScheme"},
  };
  auto& type = Find<QComboBox>(editor, "EventType");
  // From the last type backwards, so that every type is reached by a change of type.
  for (int t = addins::kEventTypeCount - 1; t >= 0; --t) {
    type.setCurrentIndex(t);
    for (const QString& name : all) {
      EXPECT_EQ(Find<QWidget>(editor, name).isVisibleTo(&editor), shown[t].count(name) == 1)
          << "type " << t << ": " << name.toStdString();
    }
  }
}

TEST(EventEditor, StoresTheFieldsOfItsTypeAsTheEventKeepsThemAndShowsThemAgain) {
  testing::TestApp();
  const StringTable strings;
  const ProgramChooser chooser = [](QWidget&) { return std::string("/opt/my tools/backup.sh"); };
  struct Case {
    EventType type;
    std::function<void(EventEditor&)> edit;
    std::function<void(const addins::EventRecord&)> check;
  };
  const Case cases[] = {
      {EventType::kOneTime,
       [](EventEditor& e) {
         Find<QDateEdit>(e, "StartDate").setDate({2024, 2, 29});
         Find<QTimeEdit>(e, "StartTime").setTime({10, 20, 30});
       },
       [](const addins::EventRecord& r) {
         const auto start = addins::ReadParameter<addins::CalendarTime>(r.parameters, 0);
         EXPECT_EQ(std::tie(start.year, start.month, start.day, start.dayOfWeek),
                   std::make_tuple(2024, 2, 29, 4));  // a Thursday
         EXPECT_EQ(std::tie(start.hour, start.minute, start.second), std::make_tuple(10, 20, 30));
         EXPECT_EQ(addins::ReadParameter<int32_t>(r.parameters, addins::kRepeatOrDaysAt), 0);
       }},
      {EventType::kDaily, [](EventEditor& e) { Find<QSpinBox>(e, "RepeatHours").setValue(25); },
       [](const addins::EventRecord& r) {
         EXPECT_EQ(addins::ReadParameter<int32_t>(r.parameters, addins::kRepeatOrDaysAt), 86400);
       }},
      {EventType::kWeekly,
       [](EventEditor& e) {
         for (int day : {0, 2, 3, 4, 6}) Find<QCheckBox>(e, QString("Day%1").arg(day)).click();
       },
       [](const addins::EventRecord& r) {
         EXPECT_EQ(addins::ReadParameter<int32_t>(r.parameters, addins::kRepeatOrDaysAt), 0x22);
       }},
      {EventType::kApplicationRunning, [](EventEditor& e) { Click(e, "BrowseApplication"); },
       [](const addins::EventRecord& r) {
         EXPECT_EQ(addins::FieldText(r.parameters), "backup.sh");
       }},
      {EventType::kPowerSourceIs,
       [](EventEditor& e) { Find<QComboBox>(e, "PowerSource").setCurrentIndex(1); },
       [](const addins::EventRecord& r) {
         EXPECT_EQ(addins::ReadParameter<int32_t>(r.parameters, 0), 0);  // on battery
       }},
      {EventType::kPowerSchemeIs,
       [](EventEditor& e) { Find<QComboBox>(e, "PowerScheme").setCurrentIndex(1); },
       [](const addins::EventRecord& r) {
         EXPECT_EQ(addins::ReadParameter<power::SchemeId>(r.parameters, 0),
                   Choices().schemes[1].id);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    EventEditor editor(strings, Choices(), chooser, nullptr);
    editor.StartNew(3);
    Find<QComboBox>(editor, "Sources").setCurrentIndex(1);
    Find<QComboBox>(editor, "EventType").setCurrentIndex(static_cast<int>(c.type));
    c.edit(editor);
    const addins::EventRecord event = editor.Record();
    EXPECT_EQ(addins::FieldText(event.name), "Event 3");
    EXPECT_EQ(event.enabled, 1);
    EXPECT_EQ(event.type, static_cast<int32_t>(c.type));
    EXPECT_EQ(event.sources, addins::kOnBattery);
    c.check(event);

    // Opened on the stored event, the editor gives it back unchanged.
    EventEditor again(strings, Choices(), chooser, nullptr);
    again.Load(event);
    EXPECT_EQ(again.Record().parameters, event.parameters);
    EXPECT_EQ(again.Record().sources, event.sources);
  }
}

struct PageRig {
  PageRig() {
    testing::TestApp();
    model.proLists = &rig->lists;
  }
  ProFeaturesPage& Page() {
    if (!page) page = std::make_unique<ProFeaturesPage>(PageContext{model, host});
    return *page;
  }
  RecordList& List(const char* name) { return Find<RecordList>(Page(), name); }

  std::unique_ptr<ProFeaturesRig> rig = std::make_unique<ProFeaturesRig>();
  PageModel model{"k8-x2-laptop", true};
  RecordingHost host;
  std::unique_ptr<ProFeaturesPage> page;
};

TEST(ProFeaturesPage, ANewRecordBeyondTheLastSlotIsRefusedWithTheListsMessage) {
  struct Case {
    const char* button;
    uint32_t message;
  } cases[] = {{"NewEvent", kStrMaxEventsReached}, {"NewAction", kStrMaxActionsReached}};
  for (const Case& c : cases) {
    PageRig page;
    for (int i = 0; i < 256; ++i) {
      page.rig->AddEvent("E", EventType::kResumed);
      page.rig->AddAction("A", 0);
    }
    // Were an editor to open, it would be cancelled and show up as no message.
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [] {
      if (QWidget* open = QApplication::activeModalWidget()) open->close();
    });
    closer.start(0);
    Click(page.Page(), c.button);
    EXPECT_EQ(page.host.messages, (std::vector<Box>{{c.message, kStrErrorCaption}})) << c.button;
    EXPECT_FALSE(page.host.warnings.front()) << "an error box";
    EXPECT_EQ(page.rig->lists.EventCount(), 256);
    EXPECT_EQ(page.rig->lists.ActionCount(), 256);
  }
}

TEST(ProFeaturesPage, ANewEventGoesToTheEngineListedAndSelectedAndItsBoxDisablesIt) {
  PageRig page;
  page.rig->AddEvent("Unplugged", EventType::kPowerSourceIs, 0);
  RecordList& events = page.List("Events");
  EXPECT_FALSE(Find<QPushButton>(page.Page(), "ModifyEvent").isEnabled());
  EXPECT_FALSE(Find<QPushButton>(page.Page(), "DeleteEvent").isEnabled());

  AnswerEditor<EventEditor>([](EventEditor& editor) {
    Find<QComboBox>(editor, "EventType").setCurrentIndex(static_cast<int>(EventType::kDaily));
    Find<QSpinBox>(editor, "RepeatHours").setValue(6);
  });
  Click(page.Page(), "NewEvent");

  ASSERT_EQ(page.rig->events.count, 2);
  EXPECT_EQ(page.rig->events.records[1].type, static_cast<int32_t>(EventType::kDaily));
  EXPECT_EQ(addins::ReadParameter<int32_t>(page.rig->events.records[1].parameters,
                                           addins::kRepeatOrDaysAt),
            6 * 3600);
  ASSERT_EQ(events.topLevelItemCount(), 2);
  const QTreeWidgetItem& row = *events.topLevelItem(1);
  EXPECT_EQ(QStringList({row.text(0), row.text(1), row.text(2), row.text(3), row.text(4)}),
            QStringList({"1", "Event 1", "Calendar: daily", "AC power, Battery", "N/A"}));
  EXPECT_EQ(events.SelectedRow(), 1);
  EXPECT_TRUE(Find<QPushButton>(page.Page(), "ModifyEvent").isEnabled());

  events.topLevelItem(1)->setCheckState(0, Qt::Unchecked);
  EXPECT_EQ(page.rig->lists.Event(1).enabled, 0);
  EXPECT_EQ(page.rig->events.records[1].enabled, 0);
}

TEST(ProFeaturesPage, TheStatusColumnFollowsEachEvaluation) {
  PageRig page;
  page.rig->AddEvent("Hot", EventType::kTemperatureAbove, 80);
  page.rig->AddEvent("Away", EventType::kNoInput, 300);
  page.model.idleTimeAvailable = false;
  RecordList& events = page.List("Events");
  EXPECT_EQ(events.topLevelItem(0)->text(4), "N/A");

  page.rig->events.records[0].active = 1;
  page.rig->events.records[0].timeInState = 3723000;
  page.rig->lists.Evaluate();
  page.Page().RefreshShownValues();
  EXPECT_EQ(events.topLevelItem(0)->text(4), "Active (1:02:03)");
  EXPECT_EQ(events.topLevelItem(1)->text(4), "Not available on this desktop");
}

TEST(ProFeaturesPage, ActionsOfADeletedEventShowUndefinedAndAnEmptyBox) {
  PageRig page;
  page.rig->AddEvent("First", EventType::kResumed);
  page.rig->AddEvent("Second", EventType::kSuspending, 1000);
  page.rig->AddAction("On first", 0);
  page.rig->AddAction("On second", 1);
  RecordList& actions = page.List("Actions");

  page.List("Events").SelectRow(0);
  Click(page.Page(), "DeleteEvent");

  EXPECT_EQ(actions.topLevelItem(0)->text(3), "<Undefined>");
  EXPECT_EQ(actions.topLevelItem(0)->checkState(0), Qt::Unchecked);
  EXPECT_EQ(actions.topLevelItem(1)->text(3), "Second");
  EXPECT_EQ(actions.topLevelItem(1)->checkState(0), Qt::Checked);
  EXPECT_FALSE(Find<QPushButton>(page.Page(), "DeleteEvent").isEnabled());
}

TEST(ProFeaturesPage, MovingChangesThePriorityOnlyWithinTheList) {
  PageRig page;
  page.rig->AddEvent("E", EventType::kResumed);
  page.rig->AddAction("First", 0);
  page.rig->AddAction("Second", 0);
  RecordList& actions = page.List("Actions");
  const auto names = [&] {
    return QStringList({actions.topLevelItem(0)->text(1), actions.topLevelItem(1)->text(1)});
  };

  actions.SelectRow(0);
  Click(page.Page(), "MoveActionUp");
  EXPECT_EQ(names(), QStringList({"First", "Second"}));
  EXPECT_EQ(actions.SelectedRow(), 0);

  Click(page.Page(), "MoveActionDown");
  EXPECT_EQ(names(), QStringList({"Second", "First"}));
  EXPECT_EQ(addins::FieldText(page.rig->actions.records[0].name), "Second");
  EXPECT_EQ(actions.SelectedRow(), 1);
  Click(page.Page(), "MoveActionDown");
  EXPECT_EQ(names(), QStringList({"Second", "First"}));
}

}  // namespace
}  // namespace pacetta::ui
