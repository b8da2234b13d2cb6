#include "ui/pages/about/about_page.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>

#include "app/settings/app_settings.h"
#include "tests/ui/machine_model.h"
#include "tests/ui/qt_app.h"
#include "tests/ui/recording_page.h"
#include "ui/pages/about/build_date.h"
#include "ui/window/main_dialog.h"

namespace pacetta::ui::testing {
namespace {

// Takes the links the desktop would open.
class OpenedUrls final : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

TEST(AboutPage, TheCompilerDateReadsAsTheBuildDate) {
  constexpr BuildDate single = ParseCompilerDate("Jun  1 2026");
  static_assert(single.year == 2026 && single.month == 6 && single.day == 1);
  constexpr BuildDate twoDigits = ParseCompilerDate("Dec 31 1999");
  static_assert(twoDigits.year == 1999 && twoDigits.month == 12 && twoDigits.day == 31);
  static_assert(ParseCompilerDate("Foo 31 1999").month == 0);
  static_assert(ParseCompilerDate("Dec 31 19x9").year == 0);
  static_assert(ParseCompilerDate("").year == 0);
}

TEST(AboutPage, ShowsTheVersionAndOpensTheLicenceBesideTheProgramAndTheHomePage) {
  TestApp();
  MachineModel model("k8-desktop");
  const std::vector<PageRegistration> pages = BuiltInPages();
  MainDialog window(model, pages, {[] { return true; }});
  // Pages carry no meta-object of their own: found by name.
  QWidget* page = window.findChild<QWidget*>("AboutPage");
  ASSERT_TRUE(page);
  EXPECT_EQ(window.ShownPage(), page);
  const auto* versionLabel = page->findChild<QLabel*>("Version");
  const auto* nameLabel = page->findChild<QLabel*>("ProgramName");
  ASSERT_TRUE(versionLabel && nameLabel);

  // "ProgramVersion" 0x02030500 reads "2.35.0".
  const QString version = versionLabel->text();
  const auto match =
      QRegularExpression(R"(^Version (\d+)\.(\d)(\d+)\.(\d+), built on (\d{4})/(\d\d)/(\d\d)$)")
          .match(version);
  ASSERT_TRUE(match.hasMatch()) << version.toStdString();
  EXPECT_EQ(match.captured(1).toUInt(), (kProgramVersion >> 24) & 0xFF);
  EXPECT_EQ(match.captured(2).toUInt(), (kProgramVersion >> 16) & 0xFF);
  EXPECT_EQ(match.captured(3).toUInt(), (kProgramVersion >> 8) & 0xFF);
  EXPECT_EQ(match.captured(4).toUInt(), kProgramVersion & 0xFF);
  EXPECT_GE(match.captured(5).toInt(), 2026);
  EXPECT_EQ(nameLabel->text(), QString("Tarvello"));

  OpenedUrls opened;
  QDesktopServices::setUrlHandler("file", &opened, "Open");
  QDesktopServices::setUrlHandler("https", &opened, "Open");
  for (QLabel* label : page->findChildren<QLabel*>()) {
    const auto link = QRegularExpression(R"(href="([^"]+)\")").match(label->text());
    if (link.hasMatch()) emit label->linkActivated(link.captured(1));
  }
  QDesktopServices::unsetUrlHandler("file");
  QDesktopServices::unsetUrlHandler("https");
  ASSERT_EQ(opened.urls.size(), 2u);
  // The licence is the file the build put beside the program.
  EXPECT_TRUE(opened.urls[0].isLocalFile());
  EXPECT_EQ(QFileInfo(opened.urls[0].toLocalFile()).absolutePath(),
            QFileInfo(QString(PACETTA_BIN_DIR)).absoluteFilePath());
  EXPECT_TRUE(QFileInfo(opened.urls[0].toLocalFile()).isFile());
  EXPECT_EQ(opened.urls[1].scheme(), QString("https"));
  EXPECT_FALSE(opened.urls[1].host().isEmpty());
}

}  // namespace
}  // namespace pacetta::ui::testing

#include "about_page_test.moc"
