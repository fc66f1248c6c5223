#include "desktopinfo.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>

namespace ledwall
{

ScreenAreaList applicationScreens()
{
    ScreenAreaList list;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return list;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        list.append({screen->geometry(), screen->availableGeometry()});
    return list;
}

QString desktopInfoJson(const ScreenAreaList &screens, double x, double y)
{
    QJsonObject object;
    object.insert(QStringLiteral("ret"), false);
    for (const ScreenArea &screen : screens) {
        const QRect &g = screen.geometry;
        if (x < g.x() || y < g.y() || x >= double(g.x()) + g.width() ||
            y >= double(g.y()) + g.height())
            continue;
        const int dw = g.width() - screen.available.width();
        int dh = g.height() - screen.available.height();
        // A full-height window on a screen without a task bar would be taken for a
        // full-screen one.
        if (dw == 0 && dh == 0)
            dh = 1;
        object.insert(QStringLiteral("x"), g.x());
        object.insert(QStringLiteral("y"), g.y());
        object.insert(QStringLiteral("w"), g.width() - dw);
        object.insert(QStringLiteral("h"), g.height() - dh);
        object.insert(QStringLiteral("ret"), true);
        break;
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace ledwall
