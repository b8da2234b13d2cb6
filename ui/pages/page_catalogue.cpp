#include "ui/pages/page_catalogue.h"

#include "app/strings/string_ids.h"
#include "ui/pages/about/about_page.h"
#include "ui/pages/advanced_intel/advanced_intel_page.h"
#include "ui/pages/advanced_k7/advanced_k7_page.h"
#include "ui/pages/advanced_k8/advanced_k8_page.h"
#include "ui/pages/advanced_transmeta/advanced_transmeta_page.h"
#include "ui/pages/advanced_via/advanced_via_page.h"
#include "ui/pages/battery_device/battery_device_page.h"
#include "ui/pages/battery_info/battery_info_page.h"
#include "ui/pages/cpu_info/cpu_info_page.h"
#include "ui/pages/management/management_page.h"
#include "ui/pages/monitoring/monitoring_page.h"
#include "ui/pages/pro_features/pro_features_page.h"
#include "ui/pages/profile/profile_page.h"
#include "ui/pages/profiles/profiles_page.h"
#include "ui/pages/settings/settings_page.h"
#include "ui/pages/updates/updates_page.h"

namespace pacetta::ui {
namespace {

template <typename T>
std::unique_ptr<Page> Make(PageContext context) {
  return std::make_unique<T>(context);
}

}  // namespace

std::vector<PageRegistration> BuiltInPages() {
  return {
      {0, kStrPageAbout, nullptr, Make<AboutPage>},
      {1, kStrPageSettings, nullptr, Make<SettingsPage>},
      {2, kStrPageCpuInfo, nullptr, Make<CpuInfoPage>},
      {3, kStrPageMonitoring, nullptr, Make<MonitoringPage>},
      {4, kStrPageManagement, nullptr, Make<ManagementPage>},
      {5, kStrPageProfiles, nullptr, Make<ProfilesPage>},
      {kProfilePage, kStrProfileCaption, nullptr, Make<ProfilePage>},
      {6, kStrPageBatteryInfo, HasBatteryInfoPage, MakeBatteryInfoPage},
      {kBatteryDevicePage, kStrBatteryDevice, HasBatteryDevicePage, MakeBatteryDevicePage},
      {7, kStrPageAdvanced, HasAdvancedK8Page, MakeAdvancedK8Page},
      {7, kStrPageAdvanced, HasAdvancedK7Page, MakeAdvancedK7Page},
      {7, kStrPageAdvanced, HasAdvancedTransmetaPage, MakeAdvancedTransmetaPage},
      {7, kStrPageAdvanced, HasAdvancedIntelPage, MakeAdvancedIntelPage},
      {7, kStrPageAdvanced, HasAdvancedViaPage, MakeAdvancedViaPage},
      {8, kStrPageUpdates, HasUpdatesPage, MakeUpdatesPage},
      {9, kStrPageProFeatures, HasProFeaturesPage, Make<ProFeaturesPage>},
  };
}

AdvancedPage AdvancedPageFor(const CpuInfo& cpu) {
  if (cpu.isPentium4) return AdvancedPage::kNetBurst;
  if (cpu.isIntelSpeedStep) return AdvancedPage::kCentrino;
  if (cpu.isK8) return AdvancedPage::kAmdK8;
  if (cpu.isK7) return AdvancedPage::kAmdK7;
  if (cpu.isTransmeta) return AdvancedPage::kTransmeta;
  if (cpu.isViaC7) return AdvancedPage::kViaC7;
  return AdvancedPage::kNone;
}

}  // namespace pacetta::ui
