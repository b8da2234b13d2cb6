#include "ui/pages/advanced_via/advanced_via_page.h"

#include "ui/pages/advanced_intel/advanced_intel_page.h"
#include "ui/pages/page_catalogue.h"

namespace pacetta::ui {

bool HasAdvancedViaPage(const DesktopModel& model) {
  return !model.Processors().empty() && IntelAdvancedOf(model) != nullptr &&
         AdvancedPageFor(model.Processors().front()) == AdvancedPage::kViaC7;
}

std::unique_ptr<Page> MakeAdvancedViaPage(PageContext context) {
  // The page lays itself out for the C7 from the settings' facts.
  auto page = std::make_unique<AdvancedIntelPage>(context, *IntelAdvancedOf(context.model));
  page->setObjectName("AdvancedViaPage");
  return page;
}

}  // namespace pacetta::ui
