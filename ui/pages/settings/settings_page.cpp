#include "ui/pages/settings/settings_page.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>

#include "app/strings/string_ids.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_text.h"
#include "ui/pages/settings/window_style.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

constexpr int kRegistryWay = 0;  // the autorun list's entries
constexpr int kFolderWay = 1;

QColor ToQColor(uint32_t colorRef) {
  return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                static_cast<int>((colorRef >> 16) & 0xFF));
}

uint32_t ToColorRef(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
         static_cast<uint32_t>(color.blue()) << 16;
}

QCheckBox* Check(const StringTable& strings, uint32_t id, const QString& name) {
  auto* box = MakeOwned<QCheckBox>(PageText(strings, id));
  box->setObjectName(name);
  return box;
}

QComboBox* Choices(const QString& name) {
  auto* box = MakeOwned<QComboBox>();
  box->setObjectName(name);
  return box;
}

QSpinBox* Spin(int highest, const QString& name) {
  auto* spin = MakeOwned<QSpinBox>();
  spin->setObjectName(name);
  spin->setRange(0, highest);
  return spin;
}

QLabel* LabelFor(const StringTable& strings, uint32_t id, QWidget* buddy) {
  auto* label = MakeOwned<QLabel>(PageText(strings, id));
  label->setBuddy(buddy);
  return label;
}

// The system's chooser, opened on `current` over `parent`, titled with the colour's name.
std::optional<uint32_t> SystemColorChooser(QWidget& parent, const QString& title,
                                           uint32_t current) {
  const QColor chosen = QColorDialog::getColor(ToQColor(current), &parent, title);
  if (!chosen.isValid()) return std::nullopt;
  return ToColorRef(chosen);
}

}  // namespace

SettingsPage::SettingsPage(PageContext context, ColorChooser chooseColor)
    : Page(context), chooseColor_(std::move(chooseColor)) {
  setObjectName("SettingsPage");
  const StringTable& strings = Model().Strings();
  if (!chooseColor_) {
    chooseColor_ = [this](uint32_t current) {
      return SystemColorChooser(*this, colorName_->currentText(), current);
    };
  }

  CreateControls(strings);
  LayOut(strings);
  Connect();
  Reload();
}

void SettingsPage::CreateControls(const StringTable& strings) {
  language_ = Choices("Language");
  languages_ = LanguageEntries(strings, Model().Languages());
  auto* languageItems = qobject_cast<QStandardItemModel*>(language_->model());
  for (const LanguageEntry& entry : languages_) {
    language_->addItem(QString::fromStdString(entry.text));
    // A default language no module serves is shown, greyed: it cannot be chosen.
    if (!entry.enabled && languageItems) {
      QStandardItem* item = languageItems->item(language_->count() - 1);
      item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
  }

  colorName_ = Choices("ColorName");
  for (uint32_t i = 0; i < kColorNameCount; ++i)
    colorName_->addItem(PageText(strings, kStrColorNameFirst + i));
  swatch_ = MakeOwned<QFrame>();
  swatch_->setObjectName("ColorSwatch");
  swatch_->setFrameShape(QFrame::Box);
  swatch_->setAutoFillBackground(true);
  swatch_->setMinimumWidth(fontMetrics().height() * 2);
  changeColor_ = PageButton(strings, kStrChangeColor, "ChangeColor");

  infoBalloons_ = Check(strings, kStrShowInfoBalloons, "ShowInfoBalloons");
  criticalBalloons_ = Check(strings, kStrShowCriticalBalloons, "ShowCriticalBalloons");
  alwaysOnTop_ = Check(strings, kStrAlwaysOnTop, "AlwaysOnTop");
  taskbarButton_ = Check(strings, kStrTaskbarButton, "TaskbarButton");
  celsius_ = MakeOwned<QRadioButton>(PageText(strings, kStrCelsius));
  celsius_->setObjectName("Celsius");
  fahrenheit_ = MakeOwned<QRadioButton>(PageText(strings, kStrFahrenheit));
  fahrenheit_->setObjectName("Fahrenheit");
  runMinimized_ = Check(strings, kStrRunMinimized, "RunMinimized");
  autoRun_ = Check(strings, kStrAutoRun, "AutoRun");
  autoRunWay_ = Choices("AutoRunWay");
  autoRunWay_->addItem(PageText(strings, kStrAutoRunRegistry));
  autoRunWay_->setItemData(kRegistryWay, PageText(strings, kStrAutoRunRegistryTip),
                           Qt::ToolTipRole);
  autoRunWay_->addItem(PageText(strings, kStrAutoRunStartupFolder));
  autoRunWay_->setItemData(kFolderWay, PageText(strings, kStrAutoRunStartupFolderTip),
                           Qt::ToolTipRole);
  logging_ = Check(strings, kStrEnableLogging, "EnableLogging");
  for (uint32_t i = 0; i < kLogItemCount; ++i)
    logItems_[i] = Check(strings, kStrLogItemFirst + i, QStringLiteral("LogItem%1").arg(i));
  days_ = Spin(999, "LogDays");
  hours_ = Spin(23, "LogHours");
  minutes_ = Spin(59, "LogMinutes");
  defaults_ = PageButton(strings, kStrButtonDefaults, "Defaults");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");
}

void SettingsPage::LayOut(const StringTable& strings) {
  auto* choices = MakeOwned<QGridLayout>();
  choices->addWidget(LabelFor(strings, kStrLanguageLabel, language_), 0, 0);
  choices->addWidget(language_, 0, 1, 1, 3);
  choices->addWidget(LabelFor(strings, kStrColorsLabel, colorName_), 1, 0);
  choices->addWidget(colorName_, 1, 1);
  choices->addWidget(swatch_, 1, 2);
  choices->addWidget(changeColor_, 1, 3);
  choices->setColumnStretch(1, 1);

  auto* units = MakeOwned<QHBoxLayout>();
  units->addWidget(MakeOwned<QLabel>(PageText(strings, kStrTempUnitsLabel)));
  units->addWidget(celsius_);
  units->addWidget(fahrenheit_);
  units->addStretch(1);

  auto* autoRun = MakeOwned<QHBoxLayout>();
  autoRun->addWidget(autoRun_);
  autoRun->addWidget(autoRunWay_, 1);

  auto* items = MakeOwned<QGridLayout>();
  items->setContentsMargins(fontMetrics().averageCharWidth() * 3, 0, 0, 0);
  constexpr int kRows = static_cast<int>(kLogItemCount) / 2;
  for (int i = 0; i < static_cast<int>(kLogItemCount); ++i)
    items->addWidget(logItems_[static_cast<size_t>(i)], i % kRows, i / kRows);

  auto* interval = MakeOwned<QHBoxLayout>();
  interval->addWidget(LabelFor(strings, kStrMaxLogIntervalLabel, days_));
  for (const auto& [spin, unit] :
       {std::pair{days_, kStrDaysUnit}, {hours_, kStrHoursUnit}, {minutes_, kStrMinutesUnit}}) {
    interval->addWidget(spin);
    interval->addWidget(MakeOwned<QLabel>(PageText(strings, unit)));
  }
  interval->addStretch(1);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addLayout(choices);
  for (QCheckBox* box : {infoBalloons_, criticalBalloons_, alwaysOnTop_, taskbarButton_})
    page->addWidget(box);
  page->addLayout(units);
  page->addWidget(runMinimized_);
  page->addLayout(autoRun);
  page->addWidget(logging_);
  page->addLayout(items);
  page->addLayout(interval);
  page->addStretch(1);
  page->addLayout(PageButtonRow({}, defaults_, apply_));
}

void SettingsPage::Connect() {
  // Balloons: information implies the critical ones.
  connect(infoBalloons_, &QCheckBox::toggled, this, [this](bool on) {
    if (on && !showing_) criticalBalloons_->setChecked(true);
  });
  connect(criticalBalloons_, &QCheckBox::toggled, this, [this](bool on) {
    if (!on && !showing_) infoBalloons_->setChecked(false);
  });
  for (QCheckBox* box : {infoBalloons_, criticalBalloons_, alwaysOnTop_, taskbarButton_,
                         runMinimized_, autoRun_, logging_}) {
    connect(box, &QCheckBox::toggled, this, [this] { FollowEdits(); });
  }
  for (QCheckBox* box : logItems_)
    connect(box, &QCheckBox::toggled, this, [this] { FollowEdits(); });
  connect(celsius_, &QRadioButton::toggled, this, [this] { FollowEdits(); });
  for (QComboBox* box : {language_, autoRunWay_}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] { FollowEdits(); });
  }
  for (QSpinBox* spin : {days_, hours_, minutes_})
    connect(spin, &QSpinBox::valueChanged, this, [this] { FollowEdits(); });
  connect(colorName_, &QComboBox::currentIndexChanged, this, [this] { ShowColor(); });
  connect(changeColor_, &QPushButton::clicked, this, [this] { ChangeColor(); });
  connect(defaults_, &QPushButton::clicked, this, [this] { Show(DefaultInterfaceSettings()); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
}

void SettingsPage::Reload() {
  Show(InterfaceSettingsOf(Model().Settings()));
  // What the page shows counts as unchanged, also where a value had to fall back (a
  // language no entry stores) or round (seconds of the log interval).
  shown_ = Edited();
  FollowEdits();
}

void SettingsPage::Show(const InterfaceSettings& values) {
  showing_ = true;
  language_->setCurrentIndex(
      static_cast<int>(LanguageEntryOf(languages_, values.resourceLocaleId)));
  colors_ = values.colors;
  ShowColor();
  infoBalloons_->setChecked(values.showInfoBalloons != 0);
  criticalBalloons_->setChecked(values.showCriticalBalloons != 0);
  alwaysOnTop_->setChecked(values.alwaysOnTop != 0);
  taskbarButton_->setChecked(values.taskbarButton != 0);
  (values.tempUnits == 1 ? fahrenheit_ : celsius_)->setChecked(true);
  runMinimized_->setChecked(values.runMinimized != 0);
  autoRun_->setChecked(values.autoRun != 0);
  autoRunWay_->setCurrentIndex(values.autoRun == 2 ? kFolderWay : kRegistryWay);
  logging_->setChecked(values.logging.enableLogging != 0);
  for (size_t i = 0; i < logItems_.size(); ++i)
    logItems_[i]->setChecked((values.logging.loggingFlags & (1 << i)) == 0);
  const LogInterval interval = LogIntervalOf(values.logging.maxLoggingPeriodS);
  days_->setValue(interval.days);
  hours_->setValue(interval.hours);
  minutes_->setValue(interval.minutes);
  showing_ = false;
  FollowEdits();
}

InterfaceSettings SettingsPage::Edited() const {
  InterfaceSettings values;
  const int language = language_->currentIndex();
  values.resourceLocaleId = language >= 0 && static_cast<size_t>(language) < languages_.size()
                                ? languages_[static_cast<size_t>(language)].value
                                : 0;
  values.showInfoBalloons = infoBalloons_->isChecked() ? 1 : 0;
  values.showCriticalBalloons = criticalBalloons_->isChecked() ? 1 : 0;
  values.alwaysOnTop = alwaysOnTop_->isChecked() ? 1 : 0;
  values.taskbarButton = taskbarButton_->isChecked() ? 1 : 0;
  values.tempUnits = fahrenheit_->isChecked() ? 1 : 0;
  values.colors = colors_;
  values.runMinimized = runMinimized_->isChecked() ? 1 : 0;
  if (autoRun_->isChecked()) values.autoRun = autoRunWay_->currentIndex() == kFolderWay ? 2 : 1;
  values.logging.enableLogging = logging_->isChecked() ? 1 : 0;
  values.logging.loggingFlags = 0;
  for (size_t i = 0; i < logItems_.size(); ++i) {
    if (!logItems_[i]->isChecked()) values.logging.loggingFlags |= 1 << i;
  }
  values.logging.maxLoggingPeriodS =
      SecondsOf({days_->value(), hours_->value(), minutes_->value()});
  return values;
}

size_t SettingsPage::ColorIndex() const {
  return static_cast<size_t>(
      std::clamp(colorName_->currentIndex(), 0, static_cast<int>(kColorCount) - 1));
}

void SettingsPage::ShowColor() {
  QPalette palette = swatch_->palette();
  palette.setColor(QPalette::Window, ToQColor(colors_.*kColorOrder[ColorIndex()]));
  swatch_->setPalette(palette);
}

void SettingsPage::ChangeColor() {
  uint32_t& color = colors_.*kColorOrder[ColorIndex()];
  const std::optional<uint32_t> chosen = chooseColor_(color);
  // Cancelled: the colour stays.
  if (!chosen) return;
  color = *chosen & 0x00FFFFFF;
  ShowColor();
  FollowEdits();
}

void SettingsPage::FollowEdits() {
  if (showing_) return;
  autoRunWay_->setEnabled(autoRun_->isChecked());
  apply_->setEnabled(Pending());
}

void SettingsPage::Apply() {
  const InterfaceSettings before = InterfaceSettingsOf(Model().Settings());
  Model().ApplyInterface(Edited());
  const InterfaceSettings after = InterfaceSettingsOf(Model().Settings());
  // The window is this page's to restyle: the program does not know it.
  QWidget* frame = window();
  if (frame != this &&
      (after.taskbarButton != before.taskbarButton || after.alwaysOnTop != before.alwaysOnTop)) {
    FollowWindowStyle(*frame, after.taskbarButton != 0, after.alwaysOnTop != 0);
  }
  Reload();
  if (after.resourceLocaleId != before.resourceLocaleId &&
      Host().AskYesNo(kStrRestartRequired, kStrConfirmCaption)) {
    Model().RequestRestart();
  }
}

void SettingsPage::ApplyWithoutAsking() {
  if (Pending()) Apply();
}

}  // namespace pacetta::ui
