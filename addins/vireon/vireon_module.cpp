// Vireon.so: the events and actions module.
#include "addins/addin_object.h"

namespace {

class Vireon final : public pacetta::addins::VireonObject {
 public:
  uint32_t GetVersion() const override { return pacetta::addins::kVireonVersion; }
};

Vireon theModule;

}  // namespace

extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* CreateObject() {
  return &theModule;
}
