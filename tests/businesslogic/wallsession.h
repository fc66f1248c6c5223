#pragma once
// What the tests that drive the sending-card object against a virtual wall share:
// the wall started from its description and a facade link to it that is the
// current device, with the replies wired to the sending-card object as the user
// interface's first search would wire them.

#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "virtualwall.h"

#include "threadspy.h"

#include <QtTest>

// Two ports: four 128 x 128 cabinets in a 2 x 2 block, then a column of two at x 256.
constexpr char TwoPortWallJson[] = R"({"name": "Two ports", "ports": [
  {"port": 0, "cabinets": [{"card": 0, "width": 128, "height": 128}, {"card": 1, "width": 128, "height": 128},
                           {"card": 2, "width": 128, "height": 128}, {"card": 3, "width": 128, "height": 128}],
   "layout": {"order": 0, "across": 2, "down": 2}},
  {"port": 1, "cabinets": [{"card": 0, "width": 128, "height": 128}, {"card": 1, "width": 128, "height": 128}],
   "layout": {"order": 6, "across": 1, "down": 2, "x": 256}}]})";

// The members of a wall test: the facade, its sending-card object, the wall and the
// guid of the session's link.
struct WallFixture {
    BLL_BusinessLogic_Desktop *m_facade = BLL_BusinessLogic_Desktop::instance();
    BLL_BusinessLogic_SendCardPackage &m_card = m_facade->sendCardPackage();
    ledwall::sim::VirtualWall m_wall;
    QString m_guid;
};

// The guid of the link; empty when the description, the wall or the link failed
// (`why` says which).
inline QString startWallSession(ledwall::sim::VirtualWall &wall, const QByteArray &json,
                                const QString &name, QString *why)
{
    ledwall::sim::WallDescription description;
    if (!ledwall::sim::WallDescription::fromJson(json, &description, why))
        return {};
    wall.setWall(description);
    if (!wall.start()) {
        *why = QStringLiteral("the wall did not start");
        return {};
    }
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    ThreadSpy announced(facade, &BLL_BusinessLogic_Desktop::sig_newDevices);
    facade->connectSendCard(QStringLiteral("127.0.0.1"), wall.port(), name);
    if (!QTest::qWaitFor([&] { return !announced.isEmpty(); }, 10000)) {
        *why = QStringLiteral("no link to the wall");
        return {};
    }
    const QString guid = announced.first().first().toString();
    BLL_BusinessLogic_SendCardPackage *card = &facade->sendCardPackage();
    QObject::connect(facade, SIGNAL(sig_devicesModuleData(QVariantMap)), card,
                     SLOT(slot_dealData(QVariantMap)), Qt::UniqueConnection);
    QObject::connect(facade, SIGNAL(sig_timeoutCmd(QVariantMap)), card,
                     SLOT(slot_timeoutCmd(QVariantMap)), Qt::UniqueConnection);
    BLL_DataCenter_Desktop::instance()->setCurrentGuid(guid);
    return guid;
}

// Runs a conversion of the sending-card object's layout (1: map to text, 2: text to
// map) and waits for its end.
inline bool convertDisplayData(BLL_BusinessLogic_SendCardPackage &card, int mode)
{
    ThreadSpy done(&card, &BLL_BusinessLogic_SendCardPackage::sig_displayOperation);
    return card.connectDisplayDataFormatConv(mode) &&
           QTest::qWaitFor([&] { return !done.isEmpty(); }, 10000);
}

// Releases the link and stops the pipeline's threads and the wall.
inline void stopWallSession(ledwall::sim::VirtualWall &wall, const QString &guid)
{
    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    facade->releaseCommunicateObject(guid);
    facade->clearData();
    wall.stop();
}

// The first display of the card's connection layout.
inline QVariantMap firstConnectDisplay(BLL_BusinessLogic_SendCardPackage &card)
{
    return card.openConnectDisplayData(false)
        .value(0)
        .toMap()
        .value(QStringLiteral("displayArr"))
        .toList()
        .value(0)
        .toMap();
}

// A display's cabinets in order, each as "port.card".
inline QStringList cabinetCells(const QVariantMap &display)
{
    QStringList cells;
    for (const QVariant &cell : display.value(QStringLiteral("itemArr")).toList())
        cells << QStringLiteral("%1.%2")
                     .arg(cell.toMap().value(QStringLiteral("sender_port")).toInt())
                     .arg(cell.toMap().value(QStringLiteral("sender_addr")).toInt());
    return cells;
}
