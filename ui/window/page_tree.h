#pragma once
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "app/desktop/desktop_model.h"
#include "ui/window/page.h"

namespace pacetta::ui {

// "Profiles" in the root list (also what a selected profile item stores), and the first
// index of the optional items (advanced, updates, professional features).
inline constexpr int kProfilesIndex = 5;
// "Battery info", under which the battery device items hang (also what a selected device
// item stores).
inline constexpr int kBatteryInfoIndex = 6;
inline constexpr int kFirstOptionalIndex = 7;

// One root item of the page tree: its page's registration and its index in the root list
// that "ActivePage" stores. Pages not built on this system leave gaps in the fixed part
// of the list (0..6), so an index keeps its meaning when they come.
struct RootEntry {
  const PageRegistration* page = nullptr;
  int index = 0;
};

// The root items present on the system of `model`, in tree order.
std::vector<RootEntry> RootEntries(std::span<const PageRegistration> pages,
                                   const DesktopModel& model);

// One item under "Profiles".
struct ProfileEntry {
  int32_t profile = 0;
  QString text;
};

// "No management" always; the other fixed profiles and every custom one only when the
// processor can be controlled (performance states or throttling).
std::vector<ProfileEntry> ProfileEntries(const DesktopModel& model);

// The caption of a profile item's page: "Profile: %s" with the profile's name.
QString ProfileCaption(const DesktopModel& model, int32_t profile);

}  // namespace pacetta::ui
