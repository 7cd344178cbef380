// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QRect>

#include "platform/control.h"

namespace tovrik::gui {

// Dialog units in pixels for a font, as the desktop dialogs measure them: a
// horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height. Layouts therefore scale with the font.
struct DialogUnits {
    double x = 1.5;
    double y = 1.625;

    static DialogUnits ForFont(const QFont& font);
    QRect ToPixels(const Rect& rect) const;
};

}  // namespace tovrik::gui
