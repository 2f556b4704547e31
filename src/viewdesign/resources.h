#pragma once
// The form's compiled resources: the window icon ":/image/curve.png".
#include "fitcore/export.h"

namespace trelvo::viewdesign {

// Registers the form's resources with Qt's resource system. Loading the library
// registers them already; calling again is harmless. Returns true.
TRELVO_EXPORT bool registerResources();

}  // namespace trelvo::viewdesign
