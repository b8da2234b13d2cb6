#include "ui/pages/about/about_page.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

#include "app/settings/app_settings.h"
#include "app/strings/string_ids.h"
#include "ui/pages/about/build_date.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

// The build's version, one byte per part as "ProgramVersion" stores it; the project's
// version in CMake must say the same.
static_assert(kProgramVersion == ((PACETTA_VERSION_MAJOR << 24) | (PACETTA_VERSION_MINOR << 16) |
                                  (PACETTA_VERSION_PATCH << 8) | PACETTA_VERSION_TWEAK),
              "the project version and kProgramVersion differ");

constexpr BuildDate kBuilt = ParseCompilerDate(__DATE__);
constexpr const char* kHomePage = "https://www.norvane.example/tarvello/";
constexpr const char* kLicenceFile = "LICENSE";

QLabel* Link(QWidget* parent, const QUrl& url, const QString& text) {
  auto* label = MakeOwned<QLabel>(
      QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toString(QUrl::FullyEncoded), text), parent);
  label->setTextFormat(Qt::RichText);
  // Reached and followed with the keyboard as well.
  label->setTextInteractionFlags(Qt::TextBrowserInteraction);
  label->setOpenExternalLinks(false);
  QObject::connect(label, &QLabel::linkActivated,
                   [](const QString& target) { QDesktopServices::openUrl(QUrl(target)); });
  return label;
}

}  // namespace

AboutPage::AboutPage(PageContext context) : Page(context) {
  setObjectName("AboutPage");
  auto* column = MakeOwned<QVBoxLayout>(this);
  auto* name = MakeOwned<QLabel>(QString::fromStdString(Model().Strings().Get(kStrProductName)));
  name->setObjectName("ProgramName");
  QFont large = name->font();
  large.setBold(true);
  large.setPointSizeF(large.pointSizeF() * 1.6);
  name->setFont(large);
  column->addWidget(name);
  auto* version = MakeOwned<QLabel>(VersionLine());
  version->setObjectName("Version");
  version->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(version);
  auto* purpose = MakeOwned<QLabel>(
      QStringLiteral("Watches the clock, voltage, load and temperature of every processor "
                     "and keeps each one in the performance state its profile asks for."));
  purpose->setWordWrap(true);
  column->addWidget(purpose);
  column->addSpacing(fontMetrics().height());
  column->addWidget(Link(this, LicenceUrl(), QStringLiteral("Licence (MIT)")));
  column->addWidget(Link(this, HomePageUrl(), QStringLiteral("Home page")));
  column->addStretch(1);
}

QString AboutPage::VersionLine() {
  const auto part = [](int shift) { return static_cast<int>((kProgramVersion >> shift) & 0xFF); };
  return QString::asprintf("Version %d.%d%d.%d, built on %04d/%02d/%02d", part(24), part(16),
                           part(8), part(0), kBuilt.year, kBuilt.month, kBuilt.day);
}

QUrl AboutPage::LicenceUrl() {
  return QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).filePath(kLicenceFile));
}

QUrl AboutPage::HomePageUrl() {
  return QUrl(QString::fromLatin1(kHomePage));
}

}  // namespace pacetta::ui
