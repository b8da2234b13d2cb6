#include "app/addins/addin_host.h"

#include <utility>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "app/strings/string_table.h"

namespace pacetta {

const char* AddinFileName(AddinId id) {
  return id == AddinId::kVireon ? "Vireon.so" : "Tollund.so";
}

bool AddinVersionAccepted(AddinId id, uint32_t version) {
  if (id == AddinId::kVireon) return version - 0x02030000u < 2;  // unsigned: 2.3.0.0, 2.3.0.1
  return version == addins::kTollundVersion;
}

AddinHost::AddinHost(platform::System& system, std::string folder)
    : system_(system), folder_(std::move(folder)) {}

AddinHost::~AddinHost() {
  Unload(AddinId::kTollund);
  Unload(AddinId::kVireon);
}

uint32_t AddinHost::Load(AddinId id, uint32_t& version) {
  Loaded& slot = Slot(id);
  Unload(id);
  slot.module = system_.LoadModule(folder_ + "/" + AddinFileName(id));
  if (!slot.module) return kAddinNotLoadable;
  const auto create = reinterpret_cast<PacettaCreateObject>(slot.module->Symbol("CreateObject"));
  if (create == nullptr) return kAddinCorrupt;
  addins::AddinObject* object = create();
  if (object == nullptr) return kAddinCorrupt;
  const uint32_t reported = object->GetVersion();
  if (!AddinVersionAccepted(id, reported)) {
    version = reported;
    return kAddinWrongVersion;
  }
  // Its operations are called by their place in the object's table: an object of another
  // kind would have other operations there.
  const bool ofItsKind = id == AddinId::kVireon
                             ? dynamic_cast<addins::VireonObject*>(object) != nullptr
                             : dynamic_cast<addins::TollundObject*>(object) != nullptr;
  if (!ofItsKind) return kAddinCorrupt;
  slot.object = object;
  return kAddinAccepted;
}

int AddinHost::Unload(AddinId id) {
  Loaded& slot = Slot(id);
  slot.object = nullptr;
  if (!slot.module) return 1;
  slot.module.reset();
  return 0;
}

addins::VireonObject* AddinHost::Vireon() const {
  return static_cast<addins::VireonObject*>(Slot(AddinId::kVireon).object);
}

addins::TollundObject* AddinHost::Tollund() const {
  return static_cast<addins::TollundObject*>(Slot(AddinId::kTollund).object);
}

void LoadAddins(AddinHost& host, const StringTable& strings, platform::MessageBoxes& boxes) {
  for (const AddinId id : {AddinId::kTollund, AddinId::kVireon}) {
    uint32_t version = 0;
    const uint32_t status = host.Load(id, version);
    if (status == kAddinAccepted) continue;
    const std::string file = AddinFileName(id);
    if (status == kAddinCorrupt) {
      boxes.Show(FormatText(strings.Get(kStrModuleCorrupt), {file}), strings.Get(kStrErrorCaption),
                 platform::MessageIcon::kError, platform::MessageButtons::kOk);
    } else if (status == kAddinWrongVersion) {
      boxes.Show(FormatText(strings.Get(kStrModuleVersionIncompatible),
                            {file, version >> 24, (version >> 16) & 0xFF, (version >> 8) & 0xFF,
                             version & 0xFF}),
                 strings.Get(kStrWarningCaption), platform::MessageIcon::kExclamation,
                 platform::MessageButtons::kOk);
    }
    host.Unload(id);
  }
}

}  // namespace pacetta
