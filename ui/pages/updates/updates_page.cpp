#include "ui/pages/updates/updates_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/pages/updates/update_notice_window.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

template <typename T>
T* Named(const QString& text, const char* name) {
  auto* control = MakeOwned<T>(text);
  control->setObjectName(name);
  return control;
}

// A line of the service's words: shown as written, never read as markup.
QLabel* ValueLabel(const char* name) {
  auto* label = Named<QLabel>(QString(), name);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  return label;
}

// A control whose showing comes and goes keeps its room, so that nothing below moves.
void KeepRoomWhenHidden(QWidget& widget) {
  QSizePolicy policy = widget.sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget.setSizePolicy(policy);
}

bool OnScreen(const QWidget& window) {
  return window.isVisible() && !window.isMinimized();
}

}  // namespace

UpdatesPage::UpdatesPage(PageContext context, UpdateService& service)
    : Page(context), service_(service) {
  setObjectName("UpdatesPage");

  autoCheck_ =
      Named<QCheckBox>(QStringLiteral("Check for updates at program startup"), "AutoCheck");
  interval_ = MakeOwned<QSpinBox>();
  interval_->setObjectName("CheckInterval");
  // The range also keeps the field to three digits.
  interval_->setRange(kMinCheckIntervalDays, kMaxCheckIntervalDays);
  intervalLabel_ = Named<QLabel>(QStringLiteral("Check interval:"), "CheckIntervalLabel");
  intervalLabel_->setBuddy(interval_);
  intervalUnit_ = Named<QLabel>(QStringLiteral("days"), "CheckIntervalUnit");
  methodDownload_ = Named<QRadioButton>(
      QStringLiteral("Download updates automatically and notify when ready to install"),
      "MethodDownload");
  methodNotify_ = Named<QRadioButton>(
      QStringLiteral("Notify when updates are available and ready to download"), "MethodNotify");
  methods_ = MakeOwned<QButtonGroup>(this);
  methods_->addButton(methodDownload_, kUpdateMethodDownload);
  methods_->addButton(methodNotify_, kUpdateMethodNotify);
  packageManaged_ =
      Named<QLabel>(QStringLiteral("Installed by the package manager: updates are announced only."),
                    "PackageManaged");
  packageManaged_->setWordWrap(true);
  checkNow_ = Named<QPushButton>(QStringLiteral("Check now"), "CheckNow");
  lastCheck_ = ValueLabel("LastCheck");
  status_ = ValueLabel("Status");
  progress_ = MakeOwned<QProgressBar>();
  progress_->setObjectName("Progress");
  progress_->setRange(0, 100);
  progress_->setTextVisible(false);  // the status line says how far
  KeepRoomWhenHidden(*progress_);
  cancel_ = Named<QPushButton>(QStringLiteral("Cancel"), "Cancel");
  info_ = Named<QPushButton>(QStringLiteral("Info..."), "Info");
  infoHint_ = Named<QLabel>(QStringLiteral("Click here for more information"), "InfoHint");
  KeepRoomWhenHidden(*infoHint_);

  // The choices under their check box and radio buttons line up with those controls' texts.
  const int indent = style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                     style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
  auto* interval = MakeOwned<QHBoxLayout>();
  interval->setContentsMargins(indent, 0, 0, 0);
  interval->addWidget(intervalLabel_);
  interval->addWidget(interval_);
  interval->addWidget(intervalUnit_);
  interval->addStretch(1);
  auto* managed = MakeOwned<QHBoxLayout>();
  managed->setContentsMargins(indent, 0, 0, 0);
  managed->addWidget(packageManaged_);

  auto* line = MakeOwned<QFrame>();
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto* check = MakeOwned<QHBoxLayout>();
  check->addWidget(checkNow_);
  check->addWidget(cancel_);
  check->addStretch(1);
  auto* results = MakeOwned<QGridLayout>();
  results->addWidget(Named<QLabel>(QStringLiteral("Last check:"), "LastCheckLabel"), 0, 0,
                     Qt::AlignTop);
  results->addWidget(lastCheck_, 0, 1);
  results->addWidget(Named<QLabel>(QStringLiteral("Status:"), "StatusLabel"), 1, 0, Qt::AlignTop);
  results->addWidget(status_, 1, 1);
  results->setColumnStretch(1, 1);
  auto* info = MakeOwned<QHBoxLayout>();
  info->addWidget(info_);
  info->addWidget(infoHint_, 1);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(autoCheck_);
  page->addLayout(interval);
  page->addSpacing(fontMetrics().height() / 2);
  page->addWidget(methodDownload_);
  page->addWidget(methodNotify_);
  page->addLayout(managed);
  page->addWidget(line);
  page->addLayout(check);
  page->addLayout(results);
  page->addWidget(progress_);
  page->addLayout(info);
  page->addStretch(1);

  // Only the user's own changes go to the service; the view's values are set quietly.
  connect(autoCheck_, &QCheckBox::clicked, this, [this](bool on) {
    if (!ended_) service_.SetAutoCheck(on);
  });
  connect(interval_, &QSpinBox::valueChanged, this, [this](int days) {
    if (!ended_) service_.SetInterval(days);
  });
  connect(methods_, &QButtonGroup::idClicked, this, [this](int method) {
    if (!ended_) service_.SetMethod(method);
  });
  connect(checkNow_, &QPushButton::clicked, this, [this] {
    if (!ended_) service_.CheckNow();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (!ended_) service_.Cancel();
  });
  connect(info_, &QPushButton::clicked, this, [this] { ShowInfo(); });

  service_.SetViewer(this);
  Show(service_.View());
}

UpdatesPage::~UpdatesPage() = default;

void UpdatesPage::StoreState() {
  if (ended_) return;
  service_.SetViewer(nullptr);
  ended_ = true;
  if (openBox_ != nullptr) openBox_->reject();
  if (notice_) notice_->Withdraw();
}

void UpdatesPage::ViewChanged() {
  if (!ended_) Show(service_.View());
}

void UpdatesPage::Show(const UpdatePageView& view) {
  const bool autoCheck = view.autoCheck != 0;
  {
    const QSignalBlocker quiet(interval_);
    autoCheck_->setChecked(autoCheck);
    if (interval_->value() != view.interval) interval_->setValue(view.interval);
  }
  for (QWidget* control : {static_cast<QWidget*>(intervalLabel_), static_cast<QWidget*>(interval_),
                           static_cast<QWidget*>(intervalUnit_)}) {
    control->setEnabled(autoCheck);
  }
  // A copy the package manager installed is never downloaded here.
  methodDownload_->setEnabled(!view.notifyOnly);
  packageManaged_->setVisible(view.notifyOnly);
  (view.method == kUpdateMethodDownload ? methodDownload_ : methodNotify_)->setChecked(true);

  checkNow_->setEnabled(view.checkEnabled);
  lastCheck_->setText(QString::fromStdString(view.lastCheckText));
  status_->setText(QString::fromStdString(view.statusText));
  progress_->setVisible(view.progressVisible);
  progress_->setValue(std::clamp(view.progress, 0, 100));
  cancel_->setEnabled(view.cancelEnabled);
  info_->setEnabled(view.infoAvailable);
  infoHint_->setVisible(view.infoAvailable);

  // The download a notice's "Yes" started reports there while the notice is still up.
  if (notice_ && notice_->isVisible() && view.lastStatus == kUpdateDownloading) {
    notice_->SetText(QString::fromStdString(view.statusText));
  }
}

void UpdatesPage::Notify(const UpdateNotice& notice) {
  if (ended_) return;
  if (!notice_) {
    notice_ =
        std::make_unique<UpdateNoticeWindow>([this](NoticeButton button) { Answered(button); });
  }
  notice_->Present(notice, window());
}

void UpdatesPage::Answered(NoticeButton button) {
  if (ended_) return;
  service_.Answer(button);
  // The service only hands out what "Info..." shows: the page shows it, as its own button
  // does.
  if (button == NoticeButton::kInfo) ShowInfo();
}

void UpdatesPage::ShowInfo() {
  if (ended_ || openBox_ != nullptr) return;
  const UpdateInfoBox info = service_.Info();
  if (info.kind == UpdateInfoBox::Kind::kNone) return;
  const bool question = info.kind == UpdateInfoBox::Kind::kQuestion;
  // Over the main window while it is on screen; a window put away has no place for it.
  QWidget* mainWindow = window();
  QMessageBox box(QMessageBox::Information, QString::fromStdString(info.caption),
                  QString::fromStdString(info.text),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                  OnScreen(*mainWindow) ? mainWindow : nullptr);
  // The error text and description come from the server.
  box.setTextFormat(Qt::PlainText);
  openBox_ = &box;
  const int answer = box.exec();
  openBox_ = nullptr;
  if (question && !ended_) service_.InfoAnswered(answer == QMessageBox::Yes);
}

bool HasUpdatesPage(const DesktopModel& model) {
  return model.Updates() != nullptr;
}

std::unique_ptr<Page> MakeUpdatesPage(PageContext context) {
  return std::make_unique<UpdatesPage>(context, *context.model.Updates());
}

}  // namespace pacetta::ui
