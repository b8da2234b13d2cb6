#include "ui/pages/cpu_info/processor_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "cpu/identify/signature.h"
#include "ui/icons/logos/processor_logos.h"
#include "ui/pages/cpu_info/status_texts.h"
#include "ui/pages/page_text.h"
#include "ui/tray/icon_pixmaps.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

constexpr const char* kStateRowNames[] = {"Current", "Startup", "Minimal", "Maximal"};

QLabel* Value(const QString& text, const QString& name) {
  auto* label = MakeOwned<QLabel>(text);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QLabel* Value(const std::string& text, const QString& name) {
  return Value(QString::fromStdString(text), name);
}

QLabel* Caption(const StringTable& strings, uint32_t id) {
  return MakeOwned<QLabel>(PageText(strings, id));
}

// A column heading of a small table, greyed like a list's header.
QLabel* Heading(const StringTable& strings, uint32_t id) {
  QLabel* label = Caption(strings, id);
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

QGroupBox* Group(const StringTable& strings, uint32_t id) {
  return MakeOwned<QGroupBox>(PageText(strings, id));
}

void SetText(QLabel* label, const std::string& text) {
  label->setText(QString::fromStdString(text));
}

}  // namespace

ProcessorTab::ProcessorTab(const CpuInfo& cpu, const ProcessorIdentity& identity,
                           const StringTable& strings)
    : cpu_(cpu), strings_(strings) {
  auto* column = MakeOwned<QVBoxLayout>(this);
  // The page is narrow: the groups fill it to the edges of the tab.
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(4);
  column->addWidget(IdentificationGroup(identity));
  column->addWidget(CachesGroup());
  column->addWidget(FeaturesGroup(identity));
  column->addWidget(StatusGroup());
  column->addStretch(1);
  ShowStatus(CpuSample{}, 0);
}

QWidget* ProcessorTab::IdentificationGroup(const ProcessorIdentity& identity) {
  QGroupBox* group = Group(strings_, kStrIdentificationGroup);
  auto* grid = MakeOwned<QGridLayout>(group);
  grid->setVerticalSpacing(2);
  auto* logo = MakeOwned<QLabel>();
  logo->setObjectName("Logo");
  // Whole pixels at every screen scale: the icon holds the picture at 1x, 2x and 3x.
  const QIcon picture = ToQIcon(icons::DrawProcessorLogo(identity.logo));
  logo->setPixmap(picture.pixmap(QSize(icons::kLogoSize, icons::kLogoSize), devicePixelRatioF()));
  logo->setFixedSize(icons::kLogoSize, icons::kLogoSize);
  grid->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop);
  grid->setColumnMinimumWidth(0, icons::kLogoSize + 4);

  QLabel* model = Value(identity.model, "CpuModel");
  model->setWordWrap(true);  // the longest brand names take two lines
  grid->addWidget(Caption(strings_, kStrCpuModelLabel), 0, 1, Qt::AlignTop);
  grid->addWidget(model, 0, 2, 1, 3);
  grid->addWidget(Caption(strings_, kStrCpuCoreLabel), 1, 1);
  grid->addWidget(Value(identity.core, "CpuCore"), 1, 2, 1, 3);
  // The revision and the signature share a row: both are short.
  const CpuSignature signature{cpu_.standardLeaves[1].eax};
  grid->addWidget(Caption(strings_, kStrRevisionLabel), 2, 1);
  grid->addWidget(Value(identity.revision, "Revision"), 2, 2);
  grid->addWidget(Caption(strings_, kStrSignatureLabel), 2, 3);
  grid->addWidget(Value(FormatText(strings_.Get(kStrSignatureValue), {signature.raw}), "Signature"),
                  2, 4);
  grid->setColumnStretch(2, 1);
  grid->setColumnStretch(4, 1);
  grid->setRowStretch(3, 1);
  return group;
}

QWidget* ProcessorTab::CachesGroup() {
  QGroupBox* group = Group(strings_, kStrCachesGroup);
  auto* sides = MakeOwned<QHBoxLayout>(group);
  sides->setContentsMargins(6, 4, 6, 4);

  auto* caches = MakeOwned<QGridLayout>();
  caches->setHorizontalSpacing(6);
  caches->setVerticalSpacing(0);
  caches->addWidget(Heading(strings_, kStrColumnSize), 0, 1, Qt::AlignRight);
  caches->addWidget(Heading(strings_, kStrColumnWays), 0, 2, Qt::AlignRight);
  caches->addWidget(Heading(strings_, kStrColumnLine), 0, 3, Qt::AlignRight);
  const CacheDescription* described[] = {&cpu_.l1Instruction, &cpu_.l1Data, &cpu_.l2, &cpu_.l3};
  for (uint32_t i = 0; i < kCacheCount; ++i) {
    const CacheTexts texts = FormatCache(*described[i], strings_);
    const int row = static_cast<int>(i) + 1;
    const QString name = QStringLiteral("Cache%1").arg(i);
    caches->addWidget(Caption(strings_, kStrCacheFirst + i), row, 0);
    caches->addWidget(Value(texts.size, name + "Size"), row, 1, Qt::AlignRight);
    caches->addWidget(Value(texts.ways, name + "Ways"), row, 2, Qt::AlignRight);
    caches->addWidget(Value(texts.line, name + "Line"), row, 3, Qt::AlignRight);
  }

  auto* tlbs = MakeOwned<QGridLayout>();
  tlbs->setHorizontalSpacing(6);
  tlbs->setVerticalSpacing(0);
  tlbs->addWidget(Heading(strings_, kStrColumnTlbLevel1), 0, 1, Qt::AlignRight);
  tlbs->addWidget(Heading(strings_, kStrColumnTlbLevel2), 0, 2, Qt::AlignRight);
  const TlbDescription* tables[] = {&cpu_.instructionTlb4k, &cpu_.dataTlb4k,
                                    &cpu_.instructionTlbLarge, &cpu_.dataTlbLarge};
  for (uint32_t i = 0; i < kTlbCount; ++i) {
    const TlbDescription& tlb = *tables[i];
    const int row = static_cast<int>(i) + 1;
    const QString name = QStringLiteral("Tlb%1").arg(i);
    tlbs->addWidget(Caption(strings_, kStrTlbFirst + i), row, 0);
    tlbs->addWidget(
        Value(FormatTlbLevel(tlb.level1Entries, tlb.level1Associativity, strings_), name + "L1"),
        row, 1, Qt::AlignRight);
    tlbs->addWidget(
        Value(FormatTlbLevel(tlb.level2Entries, tlb.level2Associativity, strings_), name + "L2"),
        row, 2, Qt::AlignRight);
  }
  sides->addLayout(caches);
  sides->addStretch(1);
  sides->addLayout(tlbs);
  return group;
}

QWidget* ProcessorTab::FeaturesGroup(const ProcessorIdentity& identity) {
  QGroupBox* group = Group(strings_, kStrPmFeaturesGroup);
  auto* row = MakeOwned<QHBoxLayout>(group);
  for (const FeatureLabel& feature : identity.features) {
    // Without a list of its own the processor shows the one text "N/A".
    auto* label = MakeOwned<QLabel>(feature.supported ? QString::fromStdString(feature.text)
                                                      : PageText(strings_, kStrNotAvailableShort));
    label->setObjectName("Feature");
    label->setEnabled(feature.supported.value_or(true));
    row->addWidget(label);
  }
  row->addStretch(1);
  return group;
}

QWidget* ProcessorTab::StatusGroup() {
  QGroupBox* group = Group(strings_, kStrStatusGroup);
  auto* column = MakeOwned<QVBoxLayout>(group);

  // The readings in two pairs of columns.
  auto* values = MakeOwned<QGridLayout>();
  values->setVerticalSpacing(0);
  values->setHorizontalSpacing(8);
  const auto add = [&](QLabel* caption, const char* name, int row, int pair) {
    values->addWidget(caption, row, pair * 2);
    QLabel* value = Value(QString(), name);
    values->addWidget(value, row, pair * 2 + 1, Qt::AlignRight);
    return value;
  };
  clock_ = add(Caption(strings_, kStrCoreClockLabel), "CoreClock", 0, 0);
  throttle_ = add(Caption(strings_, kStrThrottleLabel), "Throttle", 0, 1);
  cpuLoad_ = add(Caption(strings_, kStrCpuLoadLabel), "CpuLoad", 1, 0);
  osLoad_ = add(Caption(strings_, kStrOsLoadLabel), "OsLoad", 1, 1);
  temperature_ = add(Caption(strings_, kStrCoreTempLabel), "CoreTemp", 2, 0);
  powerLabel_ = Caption(strings_, kStrPackagePowerLabel);
  power_ = add(powerLabel_, "PackagePower", 2, 1);
  // Room for the widest values, so that the columns keep still while they change.
  values->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("0000.00 MHz")));
  values->setColumnMinimumWidth(3, fontMetrics().horizontalAdvance(QStringLiteral("100.00%")));
  values->setColumnMinimumWidth(2, fontMetrics().horizontalAdvance(QStringLiteral("0")) * 4);
  values->setColumnStretch(4, 1);

  // Multiplier and voltage by state: one column per state.
  auto* states = MakeOwned<QGridLayout>();
  states->setVerticalSpacing(0);
  states->setHorizontalSpacing(8);
  states->addWidget(Caption(strings_, kStrColumnMultiplier), 1, 0);
  states->addWidget(Caption(strings_, kStrColumnRequestedVcore), 2, 0);
  for (uint32_t i = 0; i < kStateRowCount; ++i) {
    const int state = static_cast<int>(i) + 1;
    states->addWidget(Heading(strings_, kStrStateRowFirst + i), 0, state, Qt::AlignRight);
    multipliers_[i] = Value(QString(), QStringLiteral("Multiplier") + kStateRowNames[i]);
    voltages_[i] = Value(QString(), QStringLiteral("Voltage") + kStateRowNames[i]);
    states->addWidget(multipliers_[i], 1, state, Qt::AlignRight);
    states->addWidget(voltages_[i], 2, state, Qt::AlignRight);
  }
  states->setColumnStretch(static_cast<int>(kStateRowCount) + 1, 1);

  column->addLayout(values);
  column->addSpacing(fontMetrics().height() / 2);
  column->addLayout(states);
  return group;
}

void ProcessorTab::ShowStatus(const CpuSample& sample, int32_t tempUnits) {
  const StatusTexts texts = FormatStatus(cpu_, sample, tempUnits, strings_);
  SetText(clock_, texts.clock);
  SetText(throttle_, texts.throttle);
  SetText(cpuLoad_, texts.cpuLoad);
  SetText(osLoad_, texts.osLoad);
  SetText(temperature_, texts.temperature);
  // The package's power is a value of today's processors only: elsewhere no row.
  SetText(power_, texts.packagePower.value_or(std::string()));
  power_->setVisible(texts.packagePower.has_value());
  powerLabel_->setVisible(texts.packagePower.has_value());
  for (size_t i = 0; i < texts.multipliers.size(); ++i) {
    SetText(multipliers_[i], texts.multipliers[i]);
    SetText(voltages_[i], texts.voltages[i]);
  }
}

}  // namespace pacetta::ui
