// A module a test puts beside the program under a real module's name: of another
// version, of the other kind (FAKE_KIND), without the export, or without an object.
#include "addins/addin_object.h"

namespace {

class FakeAddin final : public pacetta::addins::FAKE_KIND {
 public:
  uint32_t GetVersion() const override { return FAKE_VERSION; }
};

FakeAddin theModule;

}  // namespace

#if defined(FAKE_NO_EXPORT)
extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* SomethingElse() {
  return &theModule;
}
#elif defined(FAKE_NULL_OBJECT)
extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* CreateObject() {
  return nullptr;
}
#else
extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* CreateObject() {
  return &theModule;
}
#endif
