// SPDX-License-Identifier: MIT
#include "dialog_units.h"

#include <QFontMetricsF>
#include <cmath>

namespace tovrik::gui {

DialogUnits DialogUnits::ForFont(const QFont& font)
{
    const QFontMetricsF metrics(font);
    // The average over the Latin letters, as the desktop dialogs measure it.
    const double average = metrics.horizontalAdvance(QStringLiteral(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           52.0;
    return DialogUnits{average / 4.0, metrics.height() / 8.0};
}

QRect DialogUnits::ToPixels(const Rect& rect) const
{
    const int left = static_cast<int>(std::lround(rect.left * x));
    const int top = static_cast<int>(std::lround(rect.top * y));
    const int right = static_cast<int>(std::lround(rect.right * x));
    const int bottom = static_cast<int>(std::lround(rect.bottom * y));
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace tovrik::gui
