// Tollund.so: the updates module.
#include "addins/addin_object.h"

namespace {

class Tollund final : public pacetta::addins::TollundObject {
 public:
  uint32_t GetVersion() const override { return pacetta::addins::kTollundVersion; }
};

Tollund theModule;

}  // namespace

extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* CreateObject() {
  return &theModule;
}
