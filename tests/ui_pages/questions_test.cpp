// The questions and messages the pages show, what each answer does, and in which order
// the pages hand their changes over.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include "app/strings/string_ids.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/management/management_page.h"
#include "ui/pages/profile/profile_page.h"
#include "ui/pages/profile_name/profile_name_box.h"
#include "ui/pages/profiles/profiles_page.h"
#include "ui/pages/profiles/state_rows.h"

namespace pacetta::ui {
namespace {

using testing::Box;
using testing::PageModel;
using testing::RecordingHost;
using Calls = std::vector<std::string>;

constexpr const char* kMachine = "core2-duo-laptop";

template <typename T>
T& Find(QWidget& page, const char* name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return *control;
}

void Click(QWidget& page, const char* name) {
  Find<QPushButton>(page, name).click();
}

// Answers the next modal box (the name box) with `name`, or cancels it.
void AnswerNameBox(std::optional<QString> name) {
  QTimer::singleShot(0, [name] {
    auto* box = dynamic_cast<ProfileNameBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr) << "no name box open";
    if (!name) return box->reject();
    box->Field().setText(*name);
    box->accept();
  });
}

TEST(PageQuestions, AModifiedProfileAsksWhenLeftOrReplacedAndYesApplies) {
  testing::TestApp();
  for (const bool yes : {true, false}) {
    PageModel model(kMachine, false);
    RecordingHost host;
    ProfilePage page({model, host});
    page.LoadProfile(kOnDemandProfile);
    Find<QSpinBox>(page, "TargetLoadDc").setValue(70);
    EXPECT_TRUE(Find<QPushButton>(page, "Apply").isEnabled());

    host.answers = {yes};
    EXPECT_TRUE(page.AgreeToLeave());
    EXPECT_EQ(host.questions, (std::vector<Box>{{kStrProfileModified, kStrConfirmCaption}}));
    EXPECT_EQ(model.settings.profiles.At(3)->dc.targetLoad, yes ? 70 : 50);
    EXPECT_EQ(model.calls, yes ? Calls{"ApplyProfile(3)"} : Calls{});
    EXPECT_EQ(Find<QSpinBox>(page, "TargetLoadDc").value(), yes ? 70 : 50);
    EXPECT_FALSE(page.Pending());

    // Another profile loaded over edits asks the same; unchanged, nothing is asked.
    Find<QSpinBox>(page, "UpIntervalAc").setValue(400);
    page.LoadProfile(kPowerSavingProfile);
    page.LoadProfile(kOnDemandProfile);
    EXPECT_EQ(host.questions.size(), 2u);
  }
}

TEST(PageQuestions, AModifiedProfilesPageAsksUnderItsOwnCaption) {
  testing::TestApp();
  for (const bool yes : {true, false}) {
    PageModel model(kMachine, false);
    RecordingHost host;
    ProfilesPage page({model, host});
    Find<QComboBox>(page, "StartupDc").setCurrentIndex(kOnDemandProfile);
    Find<QComboBox>(page, "CurrentAc").setCurrentIndex(kPowerSavingProfile);
    host.answers = {yes};
    EXPECT_TRUE(page.AgreeToLeave());
    EXPECT_EQ(host.questions, (std::vector<Box>{{kStrPageModified, kStrPageProfiles}}));
    EXPECT_EQ(model.settings.management.profileDc, yes ? kOnDemandProfile : 0);
    EXPECT_EQ(model.inUse.ac, yes ? kPowerSavingProfile : 0);
    EXPECT_EQ(Find<QComboBox>(page, "StartupDc").currentIndex(), yes ? kOnDemandProfile : 0);
    EXPECT_FALSE(page.Pending());
  }
}

TEST(PageQuestions, ARestartIsOfferedOnlyWhenARestartOptionChangedAndAfterTheApply) {
  testing::TestApp();
  struct Case {
    const char* control;
    bool yes;
    Calls calls;
  };
  const Case cases[] = {
      {"RunHltOnIdle", true, {"ApplyManagement", "RequestRestart"}},
      {"ManageOsPowerSettings", false, {"ApplyManagement"}},
      {"DefaultsOnExit", true, {"ApplyManagement"}},
  };
  for (const Case& c : cases) {
    PageModel model(kMachine, false);
    RecordingHost host;
    ManagementPage page({model, host});
    Find<QCheckBox>(page, c.control).toggle();
    host.answers = {c.yes};
    Click(page, "Apply");
    EXPECT_EQ(model.calls, c.calls) << c.control;
    const bool restartOption = std::string(c.control) != "DefaultsOnExit";
    EXPECT_EQ(host.questions.size(), restartOption ? 1u : 0u) << c.control;
    if (restartOption) {
      EXPECT_EQ(host.questions[0], (Box{kStrRestartRequired, kStrConfirmCaption}));
    }
    EXPECT_FALSE(Find<QPushButton>(page, "Apply").isEnabled()) << c.control;
  }
}

TEST(PageQuestions, DeletingAProfileAsksFirstAndTheTreeFollows) {
  testing::TestApp();
  PageModel model(kMachine, true);
  RecordingHost host;
  ASSERT_EQ(model.AddProfile("Quiet"), 4);
  ProfilePage page({model, host});
  page.LoadProfile(4);
  host.answers = {false, true};
  Click(page, "Delete");
  EXPECT_EQ(model.settings.profiles.Count(), 5);
  Click(page, "Delete");
  const Box question{kStrDeleteProfileQuestion, kStrConfirmCaption};
  EXPECT_EQ(host.questions, (std::vector<Box>{question, question}));
  EXPECT_EQ(model.calls, (Calls{"AddProfile(Quiet)", "DeleteProfile(4)"}));
  EXPECT_EQ(model.settings.profiles.Count(), 4);
  EXPECT_EQ(host.profilesChanged, 1);
  EXPECT_FALSE(Find<QPushButton>(page, "Delete").isEnabled());
}

TEST(PageQuestions, NewAndRenamedProfilesTakeTheNameBoxesNameAndAFullListSaysSo) {
  testing::TestApp();
  PageModel model(kMachine, true);
  RecordingHost host;
  ProfilesPage profiles({model, host});
  AnswerNameBox(std::nullopt);
  Click(profiles, "NewProfile");
  AnswerNameBox(QStringLiteral("  Quiet  "));
  Click(profiles, "NewProfile");
  EXPECT_EQ(model.calls, Calls{"AddProfile(Quiet)"});
  EXPECT_EQ(host.profilesChanged, 1);
  EXPECT_EQ(Find<QComboBox>(profiles, "CurrentDc").itemText(4), QStringLiteral("Quiet"));

  ProfilePage profile({model, host});
  profile.LoadProfile(4);
  AnswerNameBox(QStringLiteral("Silent"));
  Click(profile, "Rename");
  EXPECT_EQ(NameOf(*model.settings.profiles.At(4)), "Silent");
  EXPECT_EQ(host.profilesChanged, 2);

  while (model.settings.profiles.Count() < kMaxProfiles) model.AddProfile("More");
  Click(profiles, "NewProfile");  // no box opens: the message comes instead
  EXPECT_EQ(host.messages, (std::vector<Box>{{kStrMaxProfilesReached, kStrErrorCaption}}));
  EXPECT_EQ(host.warnings, std::vector<bool>{false});
}

TEST(PageQuestions, EditorDefaultsOnAnotherRangeWarnAndTheApplyResetsTheProfiles) {
  testing::TestApp();
  PageModel model(kMachine, false);
  RecordingHost host;
  // A table stored with fewer rows than the processor has.
  PStateTable shorter = model.settings.profiles.Table();
  shorter.lastIndex = 2;
  model.settings.profiles.ApplyTable(shorter, model.Processor0(), true);
  ProfilesPage page({model, host});
  ASSERT_EQ(page.Rows().rowCount(), 3);

  Click(page, "Defaults");
  EXPECT_EQ(host.messages, (std::vector<Box>{{kStrStateRangeAltered, kStrWarningCaption}}));
  EXPECT_EQ(host.warnings, std::vector<bool>{true});
  EXPECT_EQ(page.Rows().rowCount(), 8);
  Click(page, "Apply");
  EXPECT_EQ(model.calls, Calls{"ApplyProfiles(rangeChanged)"});
  EXPECT_EQ(model.settings.profiles.Table().Count(), 8);

  // The same range again: no warning.
  Click(page, "Defaults");
  EXPECT_EQ(host.messages.size(), 1u);
}

TEST(PageQuestions, AVidChosenAtTheTopOfTheIntermediateStatesMovesTheStatesBetween) {
  testing::TestApp();
  PageModel model("pentium-m-laptop", false);
  RecordingHost host;
  PStateTable table = model.settings.profiles.Table();
  for (int32_t i = 0; i < table.Count(); ++i) table.rows[static_cast<size_t>(i)].enabled = 1;
  model.settings.profiles.ApplyTable(table, model.Processor0(), false);
  ProfilesPage page({model, host});
  StateRows& rows = page.Rows();
  const int last = rows.rowCount() - 1;
  ASSERT_GE(last, 2);

  // The top state at the bottom state's voltage: the line between them is flat.
  const QString bottom = rows.VidList(0)->currentText();
  QComboBox& top = *rows.VidList(last);
  const int entry = top.findText(bottom);
  ASSERT_GE(entry, 0);
  top.setCurrentIndex(entry);
  emit top.activated(entry);
  for (int row = 1; row < last; ++row) EXPECT_EQ(rows.VidList(row)->currentText(), bottom) << row;

  Click(page, "Apply");
  const PStateTable& applied = model.settings.profiles.Table();
  for (int32_t row = 1; row <= last; ++row) {
    EXPECT_EQ(applied.rows[static_cast<size_t>(row)].vid, applied.rows[0].vid) << row;
  }
}

}  // namespace
}  // namespace pacetta::ui
