// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

namespace tovrik::gui {

// The application icon (resource 128), drawn from its vector source at the
// usual icon sizes.
QIcon AppIcon();

}  // namespace tovrik::gui
