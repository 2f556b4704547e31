#pragma once
// The application's light or dark colour scheme. Qt 6.8 sets it through the
// style hints; on older Qt this layer applies a matching palette itself. Call
// it after QApplication::setStyle(), which resets the palette.
#include "fitcore/export.h"

namespace trelvo {

enum class ColorScheme { Light, Dark };

// Applies the scheme to the whole application (QApplication must exist).
TRELVO_EXPORT void setColorScheme(ColorScheme scheme);

// The scheme in force: the one last set, else the one the palette shows.
TRELVO_EXPORT ColorScheme colorScheme();

}  // namespace trelvo
