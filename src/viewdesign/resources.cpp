#include "resources.h"

#include <QtCore/QtGlobal>

// Q_INIT_RESOURCE declares the rcc function at global scope, so it stays out of
// the namespace.
static void initFormResources() { Q_INIT_RESOURCE(resource); }

namespace trelvo::viewdesign {

bool registerResources() {
  initFormResources();
  return true;
}

}  // namespace trelvo::viewdesign
