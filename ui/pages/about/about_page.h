#pragma once
#include <QString>
#include <QUrl>

#include "ui/window/page.h"

namespace pacetta::ui {

// "About...": the program's name, version and build date, and links to the licence
// shipped beside the program and to the product's home page. Links open with the
// desktop's handler for their kind (a file, a web page).
class AboutPage final : public Page {
 public:
  explicit AboutPage(PageContext context);

  // "Version %d.%d%d.%d, built on %04d/%02d/%02d".
  static QString VersionLine();
  static QUrl LicenceUrl();
  static QUrl HomePageUrl();
};

}  // namespace pacetta::ui
