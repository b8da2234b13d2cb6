#pragma once
// A page that records what the window asks of it, and a page list shaped as the
// program's full one will be, built from it.
#include <functional>
#include <map>
#include <vector>

#include "app/strings/string_ids.h"
#include "ui/pages/page_catalogue.h"
#include "ui/window/page.h"

namespace pacetta::ui::testing {

class RecordingPage final : public Page {
 public:
  explicit RecordingPage(PageContext context) : Page(context) {}

  void Reload() override { ++reloads; }
  void RefreshShownValues() override { ++refreshes; }
  bool AgreeToLeave() override {
    ++leaveQuestions;
    return onLeave ? onLeave(Host()) : agree;
  }
  void LoadProfile(int32_t index) override { loadedProfiles.push_back(index); }
  void StoreState() override { ++stores; }

  int reloads = 0;
  int refreshes = 0;
  int leaveQuestions = 0;
  int stores = 0;
  std::vector<int32_t> loadedProfiles;
  bool agree = true;
  // When set, answers the leave question instead of `agree` (a page that asks).
  std::function<bool(PageHost&)> onLeave;
};

// The pages a test's window made, by registration order (kProfilePage included).
using MadePages = std::map<int, RecordingPage*>;

inline PageRegistration Recording(int order, uint32_t textId, MadePages& made,
                                  std::function<bool(const DesktopModel&)> present = nullptr) {
  return {order, textId, std::move(present), [order, &made](PageContext context) {
            auto page = std::make_unique<RecordingPage>(context);
            made[order] = page.get();
            return std::unique_ptr<Page>(std::move(page));
          }};
}

// Every page of the program's root list with the rules that decide where each exists:
// the advanced page by processor, "Updates" never (no update module here), "Professional
// features" with the events module.
inline std::vector<PageRegistration> FullPageList(MadePages& made) {
  return {
      Recording(0, kStrPageAbout, made),
      Recording(1, kStrPageSettings, made),
      Recording(2, kStrPageCpuInfo, made),
      Recording(3, kStrPageMonitoring, made),
      Recording(4, kStrPageManagement, made),
      Recording(5, kStrPageProfiles, made),
      Recording(kProfilePage, kStrProfileCaption, made),
      Recording(6, kStrPageBatteryInfo, made),
      Recording(7, kStrPageAdvanced, made,
                [](const DesktopModel& model) {
                  return AdvancedPageFor(model.Processors().front()) != AdvancedPage::kNone;
                }),
      Recording(8, kStrPageUpdates, made, [](const DesktopModel&) { return false; }),
      Recording(9, kStrPageProFeatures, made,
                [](const DesktopModel& model) { return model.ProFeaturesLoaded(); }),
  };
}

}  // namespace pacetta::ui::testing
