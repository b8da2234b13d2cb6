#include "ui/window/page_tree.h"

#include <algorithm>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"

namespace pacetta::ui {
namespace {

bool Present(const PageRegistration& page, const DesktopModel& model) {
  return !page.present || page.present(model);
}

std::string ProfileName(const DesktopModel& model, int32_t profile) {
  // The fixed profiles follow the language in use.
  if (profile >= 0 && profile < kFixedProfileCount) {
    return model.Strings().Get(kStrProfileNoManagement + static_cast<uint32_t>(profile));
  }
  const Profile* stored = model.Settings().profiles.At(profile);
  return stored ? NameOf(*stored) : std::string();
}

}  // namespace

std::vector<RootEntry> RootEntries(std::span<const PageRegistration> pages,
                                   const DesktopModel& model) {
  std::vector<const PageRegistration*> present;
  for (const PageRegistration& page : pages) {
    if (page.order >= 0 && Present(page, model)) present.push_back(&page);
  }
  std::stable_sort(present.begin(), present.end(),
                   [](const auto* a, const auto* b) { return a->order < b->order; });
  std::vector<RootEntry> entries;
  int nextOptional = kFirstOptionalIndex;
  for (const PageRegistration* page : present) {
    const int index = page->order < kFirstOptionalIndex ? page->order : nextOptional++;
    entries.push_back({page, index});
  }
  return entries;
}

std::vector<ProfileEntry> ProfileEntries(const DesktopModel& model) {
  const int32_t count = model.Abilities().Any() ? model.Settings().profiles.Count() : 1;
  std::vector<ProfileEntry> entries;
  for (int32_t profile = 0; profile < count; ++profile) {
    entries.push_back({profile, QString::fromStdString(ProfileName(model, profile))});
  }
  return entries;
}

QString ProfileCaption(const DesktopModel& model, int32_t profile) {
  return QString::fromStdString(
      FormatText(model.Strings().Get(kStrProfileCaption), {ProfileName(model, profile)}));
}

}  // namespace pacetta::ui
