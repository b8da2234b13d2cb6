// Tollund.so: the updates module.
#include "addins/addin_object.h"
#include "addins/update_client/update_client.h"

namespace {

pacetta::addins::UpdateClient theModule;

}  // namespace

extern "C" PACETTA_ADDIN_EXPORT pacetta::addins::AddinObject* CreateObject() {
  return &theModule;
}
