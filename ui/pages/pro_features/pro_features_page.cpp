#include "ui/pages/pro_features/pro_features_page.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_text.h"
#include "ui/pages/pro_features/actions_tab.h"
#include "ui/pages/pro_features/events_tab.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {

ProFeaturesPage::ProFeaturesPage(PageContext context, ProgramChooser chooseProgram)
    : Page(context) {
  setObjectName("ProFeaturesPage");
  const StringTable& strings = Model().Strings();
  ProFeatures& lists = *Model().ProFeaturesLists();

  // One byte per component, most significant first.
  const uint32_t version = lists.ModuleVersion();
  auto* versionText = MakeOwned<QLabel>(QString::fromStdString(
      FormatText(strings.Get(kStrProModuleVersion),
                 {version >> 24, (version >> 16) & 0xFF, (version >> 8) & 0xFF, version & 0xFF})));
  versionText->setObjectName("ModuleVersion");

  tabs_ = MakeOwned<QTabWidget>();
  tabs_->setObjectName("ProFeaturesTabs");
  events_ = MakeOwned<EventsTab>(context, lists, chooseProgram);
  actions_ = MakeOwned<ActionsTab>(context, lists, chooseProgram);
  tabs_->addTab(events_, PageText(strings, kStrEventsTab));
  tabs_->addTab(actions_, PageText(strings, kStrActionsTab));
  // The actions show their events' names; deleting an event renumbers them.
  events_->SetOnChanged([this] { actions_->Fill(); });

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(versionText);
  page->addWidget(tabs_, 1);
}

void ProFeaturesPage::Reload() {
  events_->Fill();
  actions_->Fill();
}

void ProFeaturesPage::RefreshShownValues() {
  events_->RefreshStatus();
}

void ProFeaturesPage::StoreState() {
  events_->End();
  actions_->End();
}

bool HasProFeaturesPage(const DesktopModel& model) {
  return model.ProFeaturesLists() != nullptr;
}

}  // namespace pacetta::ui
