#include "ui/pages/advanced_transmeta/advanced_transmeta_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/strings/string_ids.h"
#include "cpu/advanced/longrun/longrun_atm.h"
#include "cpu/advanced/longrun/longrun_control.h"
#include "ui/pages/advanced_transmeta/longrun_level_texts.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_catalogue.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

constexpr const char* kColumnNames[] = {"Ac", "Battery"};

TransmetaAdvanced* TransmetaOf(const DesktopModel& model) {
  return dynamic_cast<TransmetaAdvanced*>(model.Advanced());
}

QSpinBox* BoundField(const QString& name) {
  auto* field = MakeOwned<QSpinBox>();
  field->setObjectName(name);
  field->setRange(0, static_cast<int>(longrun::kPercentMax));
  return field;
}

QComboBox* List(const QString& name, std::initializer_list<QString> entries) {
  auto* box = MakeOwned<QComboBox>();
  box->setObjectName(name);
  // Sized for a short entry, not the longest: two columns of the longest ATM text in
  // German leave the labels no room. The open list shows every entry whole.
  constexpr int kShownCharacters = 9;
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(kShownCharacters);
  for (const QString& entry : entries) box->addItem(entry);
  return box;
}

QLabel* Label(const StringTable& strings, uint32_t id) {
  return MakeOwned<QLabel>(PageText(strings, id));
}

void SetEntry(QComboBox& box, int32_t entry) {
  box.setCurrentIndex(entry >= 0 && entry < box.count() ? entry : 0);
}

}  // namespace

std::array<QWidget*, 4> AdvancedTransmetaPage::ColumnFields::Widgets() const {
  return {minBound, maxBound, mode, atm};
}

AdvancedTransmetaPage::AdvancedTransmetaPage(PageContext context, TransmetaAdvanced& transmeta)
    : Page(context), transmeta_(transmeta) {
  setObjectName("AdvancedTransmetaPage");
  const StringTable& strings = Model().Strings();
  const auto atmTexts = AtmLevelTexts(strings);
  for (size_t c = 0; c < columns_.size(); ++c) {
    const QString suffix = kColumnNames[c];
    ColumnFields& fields = columns_[c];
    fields.minBound = BoundField("MinBound" + suffix);
    fields.maxBound = BoundField("MaxBound" + suffix);
    fields.mode = List("Mode" + suffix, {PageText(strings, kStrLongRunEconomy),
                                         PageText(strings, kStrLongRunPerformance)});
    fields.atm = List("Atm" + suffix, {});
    for (const std::string& text : atmTexts) fields.atm->addItem(QString::fromStdString(text));
  }

  presets_ = MakeOwned<QToolButton>();
  presets_->setObjectName("Presets");
  presets_->setToolTip(PageText(strings, kStrLongRunPresets));
  presets_->setIcon(presets_->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  presets_->setPopupMode(QToolButton::InstantPopup);
  presets_->setMenu(MakeOwned<QMenu>(presets_));
  const std::pair<uint32_t, Preset> kPresets[] = {{kStrLongRunPresetMinimal, Preset::kMinimal},
                                                  {kStrLongRunPresetMaximal, Preset::kMaximal},
                                                  {kStrLongRunPresetVariated, Preset::kVariated}};
  for (const auto& [text, preset] : kPresets) {
    presets_->menu()->addAction(PageText(strings, text), this,
                                [this, preset] { LoadPreset(preset); });
  }

  auto* title = Label(strings, kStrTransmetaTitle);
  title->setObjectName("Title");

  auto* control = MakeOwned<QGroupBox>(PageText(strings, kStrLongRunControlGroup));
  control->setObjectName("ControlGroup");
  auto* controlGrid = MakeOwned<QGridLayout>(control);
  controlGrid->addWidget(presets_, 0, 0, Qt::AlignLeft);
  controlGrid->addWidget(Label(strings, kStrLongRunColumnAc), 0, 1);
  controlGrid->addWidget(Label(strings, kStrLongRunColumnBattery), 0, 2);
  controlGrid->addWidget(Label(strings, kStrLongRunMinBoundLabel), 1, 0);
  controlGrid->addWidget(Label(strings, kStrLongRunMaxBoundLabel), 2, 0);
  controlGrid->addWidget(Label(strings, kStrLongRunModeLabel), 3, 0);
  atmGroup_ = MakeOwned<QGroupBox>(PageText(strings, kStrLongRunAtmGroup));
  atmGroup_->setObjectName("AtmGroup");
  auto* atmGrid = MakeOwned<QGridLayout>(atmGroup_);
  atmGrid->addWidget(Label(strings, kStrLongRunAtmLevelLabel), 0, 0);
  for (size_t c = 0; c < columns_.size(); ++c) {
    const int column = static_cast<int>(c) + 1;
    controlGrid->addWidget(columns_[c].minBound, 1, column);
    controlGrid->addWidget(columns_[c].maxBound, 2, column);
    controlGrid->addWidget(columns_[c].mode, 3, column);
    atmGrid->addWidget(columns_[c].atm, 0, column);
  }
  // Every value control as wide as the widest, and the label column taking the slack: the
  // AC and battery columns of both groups line up.
  int width = 0;
  for (const ColumnFields& fields : columns_) {
    for (QWidget* field : fields.Widgets()) width = std::max(width, field->sizeHint().width());
  }
  for (const ColumnFields& fields : columns_) {
    for (QWidget* field : fields.Widgets()) field->setMinimumWidth(width);
  }
  for (QGridLayout* grid : {controlGrid, atmGrid}) grid->setColumnStretch(0, 1);

  auto* tableGroup = MakeOwned<QGroupBox>(PageText(strings, kStrLongRunTableGroup));
  tableGroup->setObjectName("TableGroup");
  table_ = MakeOwned<QTreeWidget>();
  table_->setObjectName("LevelTree");
  table_->setHeaderHidden(true);
  auto* tableLayout = MakeOwned<QVBoxLayout>(tableGroup);
  tableLayout->addWidget(table_);

  remember_ = MakeOwned<QCheckBox>(PageText(strings, kStrLongRunRememberAdvanced));
  remember_->setObjectName("RememberAdvanced");
  refresh_ = PageButton(strings, kStrButtonRefresh, "Refresh");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");
  auto* buttons = MakeOwned<QHBoxLayout>();
  buttons->addWidget(refresh_);
  buttons->addStretch(1);
  buttons->addWidget(apply_);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(title);
  page->addWidget(control);
  page->addWidget(atmGroup_);
  page->addWidget(tableGroup, 1);
  page->addWidget(remember_);
  page->addLayout(buttons);

  connect(refresh_, &QPushButton::clicked, this, [this] { Refresh(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });

  atmGroup_->setEnabled(transmeta_.Facts().atmPresent);
  Reload();
}

void AdvancedTransmetaPage::Reload() {
  const bool remember = transmeta_.RememberAdvanced();
  const LongRunValues stored = transmeta_.StoredValues();
  ShowColumn(kAc, stored.ac);
  ShowColumn(kBattery, stored.battery);
  remember_->setChecked(remember);
  if (!remember) Refresh();
  ShowTable();
}

void AdvancedTransmetaPage::Refresh() {
  // Registers that cannot be read leave the column as it was.
  if (const auto hardware = transmeta_.ReadHardware()) {
    ShowColumn(transmeta_.OnBattery() ? kBattery : kAc, *hardware);
  }
}

void AdvancedTransmetaPage::ShowColumn(Column column, const LongRunColumn& values) {
  ColumnFields& fields = columns_[column];
  fields.minBound->setValue(values.minBound);
  fields.maxBound->setValue(values.maxBound);
  fields.mode->setCurrentIndex(values.performance ? 1 : 0);
  SetEntry(*fields.atm, values.atmLevel);
}

LongRunColumn AdvancedTransmetaPage::EditedColumn(Column column) const {
  const ColumnFields& fields = columns_[column];
  return {fields.minBound->value(), fields.maxBound->value(), fields.mode->currentIndex() == 1,
          std::max(fields.atm->currentIndex(), 0)};
}

LongRunValues AdvancedTransmetaPage::EditedValues() const {
  return {EditedColumn(kAc), EditedColumn(kBattery)};
}

void AdvancedTransmetaPage::LoadPreset(Preset preset) {
  const int lower = preset == Preset::kMaximal ? static_cast<int>(longrun::kPercentMax) : 0;
  const int upper = preset == Preset::kMinimal ? 0 : static_cast<int>(longrun::kPercentMax);
  for (ColumnFields& fields : columns_) {
    // The upper bound first: a spin box would not hold a lower bound above it otherwise.
    fields.maxBound->setValue(upper);
    fields.minBound->setValue(lower);
  }
}

void AdvancedTransmetaPage::ShowTable() {
  table_->clear();
  const StringTable& strings = Model().Strings();
  for (const longrun::Level& level : transmeta_.ReadTable()) {
    const LevelTexts texts = LongRunLevelTexts(strings, level);
    auto* item =
        MakeOwned<QTreeWidgetItem>(table_, QStringList{QString::fromStdString(texts.item)});
    for (const std::string& child : texts.children) {
      MakeOwned<QTreeWidgetItem>(item, QStringList{QString::fromStdString(child)});
    }
  }
}

void AdvancedTransmetaPage::Apply() {
  transmeta_.Apply(EditedValues(), remember_->isChecked());
  // What was written: a lower bound above its upper went down to it.
  const LongRunValues applied = OrderedBounds(EditedValues());
  ShowColumn(kAc, applied.ac);
  ShowColumn(kBattery, applied.battery);
}

bool HasAdvancedTransmetaPage(const DesktopModel& model) {
  return !model.Processors().empty() &&
         AdvancedPageFor(model.Processors().front()) == AdvancedPage::kTransmeta &&
         TransmetaOf(model) != nullptr;
}

std::unique_ptr<Page> MakeAdvancedTransmetaPage(PageContext context) {
  // Registered with HasAdvancedTransmetaPage: the settings are LongRun's.
  return std::make_unique<AdvancedTransmetaPage>(context, *TransmetaOf(context.model));
}

}  // namespace pacetta::ui
