#include "ui/pages/pro_features/event_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTimeEdit>
#include <algorithm>

#include "app/desktop/pro_feature_edits.h"
#include "app/desktop/pro_feature_texts.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_controls.h"
#include "ui/pages/page_text.h"
#include "ui/pages/pro_features/editor_frame.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

using addins::EventType;
namespace pc = page_controls;

constexpr int kBothSources = 2;  // "Both AC power and battery": sources = index + 1

bool Is(int32_t type, EventType kind) {
  return type == static_cast<int32_t>(kind);
}

// Several controls in one row of the form.
QWidget* Row(const std::vector<QWidget*>& controls, const char* name) {
  auto* row = MakeOwned<QWidget>();
  row->setObjectName(name);
  auto* line = MakeOwned<QHBoxLayout>(row);
  line->setContentsMargins(0, 0, 0, 0);
  for (QWidget* control : controls) line->addWidget(control);
  line->addStretch(1);
  return row;
}

QLabel* Text(const StringTable& strings, uint32_t id) {
  return MakeOwned<QLabel>(PageText(strings, id));
}

// A stored index shown in a list, or nothing chosen when it names no entry.
void Choose(QComboBox& list, int32_t index) {
  list.setCurrentIndex(index >= 0 && index < list.count() ? index : -1);
}

}  // namespace

EventEditor::EventEditor(const StringTable& strings, EventChoices choices,
                         ProgramChooser chooseProgram, QWidget* parent)
    : QDialog(parent),
      strings_(strings),
      choices_(std::move(choices)),
      chooseProgram_(std::move(chooseProgram)) {
  setObjectName("EventEditor");
  setWindowTitle(PageText(strings, kStrEventEditorCaption));

  name_ = MakeOwned<QLineEdit>();
  name_->setObjectName("EventName");
  name_->setMaxLength(static_cast<int>(addins::kRecordNameSize - 1));
  sources_ = pc::Combo("Sources");
  for (uint32_t id : {kStrEventSourceAc, kStrEventSourceBattery, kStrEventSourceBoth}) {
    sources_->addItem(PageText(strings, id));
  }
  sources_->setCurrentIndex(kBothSources);
  type_ = pc::Combo("EventType");
  for (int32_t type = 0; type < addins::kEventTypeCount; ++type) {
    type_->addItem(PageText(strings, kStrEventTypeFirst + static_cast<uint32_t>(type)));
    if (EventTypeAvailable(type, choices_.idleTimeAvailable)) continue;
    // Listed, so that the list reads as everywhere, but it cannot be picked.
    QStandardItem* item = static_cast<QStandardItemModel*>(type_->model())->item(type);
    item->setEnabled(false);
    item->setToolTip(PageText(strings, kStrIdleTimeUnavailable));
  }

  form_ = MakeOwned<QFormLayout>();
  form_->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
  form_->addRow(pc::LabelFor(strings, kStrEventNameLabel, name_), name_);
  form_->addRow(pc::LabelFor(strings, kStrEventSourcesLabel, sources_), sources_);
  form_->addRow(pc::LabelFor(strings, kStrEventTypeLabel, type_), type_);
  BuildTypeFields(strings);

  FrameEditor(*this, form_);
  connect(type_, &QComboBox::currentIndexChanged, this, [this] { Arrange(); });
  type_->setCurrentIndex(static_cast<int>(EventType::kOneTime));
  Arrange();
}

void EventEditor::BuildTypeFields(const StringTable& strings) {
  date_ = MakeOwned<QDateEdit>(QDate::currentDate());
  date_->setObjectName("StartDate");
  date_->setCalendarPopup(true);
  time_ = MakeOwned<QTimeEdit>(QTime::currentTime());
  time_->setObjectName("StartTime");
  time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  AddField(kStart, pc::LabelFor(strings, kStrEventStartLabel, date_), Row({date_, time_}, "Start"));

  repeat_ = pc::Spin("RepeatHours", 1, 24, 1);
  repeat_->setValue(12);
  AddField(kRepeat, pc::LabelFor(strings, kStrEventRepeatLabel, repeat_),
           Row({repeat_, Text(strings, kStrEventRepeatUnit)}, "Repeat"));

  std::vector<QWidget*> days;
  for (size_t day = 0; day < days_.size(); ++day) {
    const std::string name = "Day" + std::to_string(day);
    days_[day] = pc::Check(strings, kStrEventDayFirst + static_cast<uint32_t>(day), name.c_str());
    days_[day]->setChecked(true);
    days.push_back(days_[day]);
  }
  AddField(kDays, Text(strings, kStrEventDaysLabel), Row(days, "Days"));

  program_ = MakeOwned<QLineEdit>();
  program_->setObjectName("ApplicationName");
  program_->setMaxLength(static_cast<int>(addins::kParameterSize - 1));
  auto* browse = MakeOwned<QPushButton>(PageText(strings, kStrEventBrowse));
  browse->setObjectName("BrowseApplication");
  browse->setFixedWidth(fontMetrics().averageCharWidth() * 5);
  connect(browse, &QPushButton::clicked, this, [this] { BrowseProgram(); });
  auto* program = Row({program_, browse}, "Application");
  static_cast<QHBoxLayout*>(program->layout())->setStretch(0, 1);
  AddField(kProgram, pc::LabelFor(strings, kStrEventProgramLabel, program_), program);

  profile_ = pc::Combo("Profile");
  for (const std::string& name : choices_.profiles) profile_->addItem(QString::fromStdString(name));
  Choose(*profile_, 0);
  AddField(kProfile, pc::LabelFor(strings, kStrEventProfileLabel, profile_), profile_);

  level_ = pc::Spin("Level", 0, 100, 1);
  level_->setValue(50);
  AddField(kLevel, pc::LabelFor(strings, kStrEventLevelLabel, level_), Row({level_}, "LevelRow"));
  temperature_ = pc::Spin("Temperature", 0, 100, 1);
  temperature_->setValue(50);
  AddField(kTemperature, pc::LabelFor(strings, kStrEventTemperatureLabel, temperature_),
           Row({temperature_}, "TemperatureRow"));
  idle_ = pc::Spin("IdleSeconds", 0, 3600, 1);
  idle_->setValue(60);
  AddField(kIdle, pc::LabelFor(strings, kStrEventIdleLabel, idle_), Row({idle_}, "IdleRow"));
  auto* note = Text(strings, kStrIdleTimeUnavailable);
  note->setObjectName("IdleNote");
  AddField(kIdleNote, MakeOwned<QLabel>(), note);
  standby_ = pc::Spin("StandbyMs", 0, 5000, 1);
  standby_->setValue(1000);
  AddField(kStandby, pc::LabelFor(strings, kStrEventStandbyLabel, standby_),
           Row({standby_}, "StandbyRow"));

  powerSource_ = pc::Combo("PowerSource");
  powerSource_->addItem(PageText(strings, kStrEventSourceAc));
  powerSource_->addItem(PageText(strings, kStrEventSourceBattery));
  AddField(kPowerSource, pc::LabelFor(strings, kStrEventPowerSourceLabel, powerSource_),
           powerSource_);

  scheme_ = pc::Combo("PowerScheme");
  for (const OsSchemeChoice& scheme : choices_.schemes) {
    scheme_->addItem(QString::fromStdString(scheme.name));
  }
  Choose(*scheme_, 0);
  AddField(kScheme, pc::LabelFor(strings, kStrEventSchemeLabel, scheme_), scheme_);
}

void EventEditor::AddField(Field field, QWidget* label, QWidget* control) {
  form_->addRow(label, control);
  rows_[field] = control;
}

int32_t EventEditor::Type() const {
  return std::max(type_->currentIndex(), 0);
}

void EventEditor::Arrange() {
  const int32_t type = Type();
  const bool shown[kFieldCount] = {
      addins::IsCalendar(type),
      Is(type, EventType::kDaily),
      Is(type, EventType::kWeekly),
      Is(type, EventType::kApplicationRunning),
      Is(type, EventType::kProfileIs),
      Is(type, EventType::kBatteryBelow) || Is(type, EventType::kBatteryAbove),
      Is(type, EventType::kTemperatureBelow) || Is(type, EventType::kTemperatureAbove),
      Is(type, EventType::kNoInput),
      !EventTypeAvailable(type, choices_.idleTimeAvailable),
      Is(type, EventType::kSuspending),
      Is(type, EventType::kPowerSourceIs),
      Is(type, EventType::kPowerSchemeIs),
  };
  for (size_t field = 0; field < kFieldCount; ++field) {
    form_->setRowVisible(rows_[field], shown[field]);
  }
}

void EventEditor::BrowseProgram() {
  const std::optional<std::string> path = chooseProgram_(*this);
  // The event compares the programs' file names, without their folders.
  if (path) program_->setText(QFileInfo(QString::fromStdString(*path)).fileName());
}

void EventEditor::StartNew(int32_t number) {
  name_->setText(QString::fromStdString(FormatText(strings_.Get(kStrNewEventName), {number})));
}

void EventEditor::Load(const addins::EventRecord& event) {
  name_->setText(QString::fromStdString(std::string(addins::FieldText(event.name))));
  sources_->setCurrentIndex(event.sources >= addins::kOnAc && event.sources <= kBothSources + 1
                                ? event.sources - 1
                                : kBothSources);
  const int32_t type = event.type;
  type_->setCurrentIndex(type >= 0 && type < addins::kEventTypeCount ? type : 0);
  const int32_t number = addins::ReadParameter<int32_t>(event.parameters, 0);
  if (addins::IsCalendar(type)) {
    const auto start =
        addins::ReadParameter<addins::CalendarTime>(event.parameters, addins::kStartTimeAt);
    const QDate date(start.year, start.month, start.day);
    const QTime time(start.hour, start.minute, start.second);
    if (date.isValid()) date_->setDate(date);
    if (time.isValid()) time_->setTime(time);
    const int32_t repeatOrDays =
        addins::ReadParameter<int32_t>(event.parameters, addins::kRepeatOrDaysAt);
    if (Is(type, EventType::kDaily)) repeat_->setValue(repeatOrDays / 3600);
    if (Is(type, EventType::kWeekly)) {
      for (size_t day = 0; day < days_.size(); ++day) {
        days_[day]->setChecked((repeatOrDays & (1 << day)) != 0);
      }
    }
  }
  switch (static_cast<EventType>(type)) {
    case EventType::kApplicationRunning:
      program_->setText(QString::fromStdString(std::string(addins::FieldText(event.parameters))));
      break;
    case EventType::kProfileIs:
      Choose(*profile_, number);
      break;
    case EventType::kBatteryBelow:
    case EventType::kBatteryAbove:
      level_->setValue(number);
      break;
    case EventType::kTemperatureBelow:
    case EventType::kTemperatureAbove:
      temperature_->setValue(number);
      break;
    case EventType::kNoInput:
      idle_->setValue(number);
      break;
    case EventType::kSuspending:
      standby_->setValue(number);
      break;
    case EventType::kPowerSourceIs:
      powerSource_->setCurrentIndex(number == 1 ? 0 : 1);
      break;
    case EventType::kPowerSchemeIs: {
      const auto id = addins::ReadParameter<power::SchemeId>(event.parameters, 0);
      const auto found =
          std::find_if(choices_.schemes.begin(), choices_.schemes.end(),
                       [&](const OsSchemeChoice& scheme) { return scheme.id == id; });
      Choose(*scheme_, static_cast<int32_t>(found - choices_.schemes.begin()));
      break;
    }
    default:
      break;
  }
}

addins::EventRecord EventEditor::Record() const {
  addins::EventRecord event = addins::BlankEvent();
  event.enabled = 1;
  addins::SetFieldText(event.name,
                       FittedText(name_->text().toStdString(), addins::kRecordNameSize - 1));
  event.type = Type();
  event.sources = std::max(sources_->currentIndex(), 0) + 1;
  auto& area = event.parameters;
  if (addins::IsCalendar(event.type)) {
    const QDate date = date_->date();
    const QTime time = time_->time();
    addins::WriteParameter(area, addins::kStartTimeAt,
                           CalendarTimeOf(date.year(), date.month(), date.day(), time.hour(),
                                          time.minute(), time.second()));
  }
  switch (static_cast<EventType>(event.type)) {
    case EventType::kDaily:
      addins::WriteParameter<int32_t>(area, addins::kRepeatOrDaysAt, repeat_->value() * 3600);
      break;
    case EventType::kWeekly: {
      int32_t mask = 0;
      for (size_t day = 0; day < days_.size(); ++day) {
        if (days_[day]->isChecked()) mask |= 1 << day;
      }
      addins::WriteParameter<int32_t>(area, addins::kRepeatOrDaysAt, mask);
      break;
    }
    case EventType::kApplicationRunning:
      addins::SetFieldText(area,
                           FittedText(program_->text().toStdString(), addins::kParameterSize - 1));
      break;
    case EventType::kProfileIs:
      addins::WriteParameter<int32_t>(area, 0, profile_->currentIndex());
      break;
    case EventType::kBatteryBelow:
    case EventType::kBatteryAbove:
      addins::WriteParameter<int32_t>(area, 0, level_->value());
      break;
    case EventType::kTemperatureBelow:
    case EventType::kTemperatureAbove:
      addins::WriteParameter<int32_t>(area, 0, temperature_->value());
      break;
    case EventType::kNoInput:
      addins::WriteParameter<int32_t>(area, 0, idle_->value());
      break;
    case EventType::kSuspending:
      addins::WriteParameter<int32_t>(area, 0, standby_->value());
      break;
    case EventType::kPowerSourceIs:
      // The system's AC line status: 1 on AC power, 0 on battery.
      addins::WriteParameter<int32_t>(area, 0, 1 - std::max(powerSource_->currentIndex(), 0));
      break;
    case EventType::kPowerSchemeIs: {
      const int chosen = scheme_->currentIndex();
      if (chosen >= 0 && static_cast<size_t>(chosen) < choices_.schemes.size()) {
        addins::WriteParameter(area, 0, choices_.schemes[static_cast<size_t>(chosen)].id);
      }
      break;
    }
    default:
      break;
  }
  return event;
}

}  // namespace pacetta::ui
