// SPDX-License-Identifier: MIT
#include "app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The icon lives in a resource file compiled into a static library, which must be
// registered by name from outside any namespace.
static void InitGuiResources()
{
    Q_INIT_RESOURCE(tovrik_gui);
}

namespace tovrik::gui {

QIcon AppIcon()
{
    // Drawn anew each time: pixmaps must not outlive the application object.
    InitGuiResources();
    QSvgRenderer renderer(QStringLiteral(":/tovrik/icon.svg"));
    QIcon result;
    if (!renderer.isValid()) {
        return result;
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

}  // namespace tovrik::gui
