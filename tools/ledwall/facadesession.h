#pragma once
// What the commands that talk to devices through the library share: opening a
// direct network link through the facade, collecting what the facade reports, and
// waiting a bounded time for it.

#include "bll_businesslogic_desktop.h"
#include "cliutil.h"
#include "devicetarget.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <functional>

namespace cli
{

// Runs the event loop until `done` holds or `timeoutMs` passed; true when it holds.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// One direct network link through the facade, with the replies and time-outs the
// facade reports while it is open. Replies arrive queued in this thread.
class FacadeSession
{
public:
    using Listener = std::function<void(const QString &signal, const QVariantMap &map)>;

    explicit FacadeSession(Listener listener = {}) : m_listener(std::move(listener))
    {
        BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
        QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_devicesModuleData, &m_context,
                         [this](QVariantMap map) {
                             replies << map;
                             if (m_listener)
                                 m_listener(QStringLiteral("sig_devicesModuleData"), map);
                         });
        QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_timeoutCmd, &m_context,
                         [this](QVariantMap map) {
                             timeouts << map;
                             if (m_listener)
                                 m_listener(QStringLiteral("sig_timeoutCmd"), map);
                         });
    }

    ~FacadeSession()
    {
        BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
        if (!m_guid.isEmpty())
            facade->releaseCommunicateObject(m_guid);
        // Joins the pipeline's threads before the program ends.
        facade->clearData();
    }

    FacadeSession(const FacadeSession &) = delete;
    FacadeSession &operator=(const FacadeSession &) = delete;

    // Opens the link; the guid that the facade announced, empty on failure.
    QString open(const QString &host, quint16 port, const QString &name)
    {
        DeviceTarget target;
        target.host = host;
        target.port = port;
        return open(target, name, nullptr);
    }

    // Opens the link to `target` through the facade. On failure: an empty guid and,
    // in *error, what the link manager said ("cannot open serial port ...").
    QString open(const DeviceTarget &target, const QString &name, QString *error)
    {
        BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
        QObject context;
        QString linkError;
        QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_newDevices, &context,
                         [this](QString guid, QString) { m_guid = guid; });
        QObject::connect(facade, &BLL_BusinessLogic_Desktop::sig_TalkToUI, &context,
                         [&linkError](QVariantMap status) {
                             if (status.value(QStringLiteral("event")) ==
                                 QLatin1String("linkError"))
                                 linkError = status.value(QStringLiteral("error")).toString();
                         });
        switch (target.kind) {
        case DeviceTarget::Network:
            facade->connectSendCard(target.host, target.port, name);
            break;
        case DeviceTarget::Usb:
            facade->connectUsbSendCard(QString());
            break;
        case DeviceTarget::Serial:
            if (target.baudRate > 0)
                facade->connectComPortSendCard(target.serialPort, target.baudRate);
            else
                facade->connectComPortSendCard(target.serialPort);
            break;
        }
        if (m_guid.isEmpty() && error) {
            // The link manager's reason arrives through the facade's queue.
            waitUntil([&] { return !linkError.isEmpty(); }, 500);
            *error = QStringLiteral("cannot open a link to %1%2")
                         .arg(target.describe(),
                              linkError.isEmpty() ? QString() : QStringLiteral(": ") + linkError);
        }
        return m_guid;
    }

    // The same, printing why on stderr when the link cannot be opened.
    QString openOrReport(const DeviceTarget &target, const QString &name)
    {
        QString error;
        const QString guid = open(target, name, &error);
        if (guid.isEmpty())
            printError(error);
        return guid;
    }

    QString guid() const { return m_guid; }

    void append(const QVariantMap &moduleData)
    {
        BLL_BusinessLogic_Desktop::instance()->moduleThread().appendModuleData(moduleData);
    }

    // The first reply of `moduleName` at register `address` (waiting at most
    // timeoutMs); empty when none came.
    QVariantMap waitForReply(const QString &moduleName, quint32 address, int timeoutMs)
    {
        QVariantMap found;
        waitUntil(
            [&] {
                for (const QVariantMap &map : qAsConst(replies)) {
                    if (map.value(QStringLiteral("moduleName")).toString() == moduleName &&
                        map.value(QStringLiteral("m_regAddr")).toUInt() == address) {
                        found = map;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }

    // The first time-out report of register `address`; empty when none came.
    QVariantMap waitForTimeout(quint32 address, int timeoutMs)
    {
        QVariantMap found;
        waitUntil(
            [&] {
                for (const QVariantMap &map : qAsConst(timeouts)) {
                    if (map.value(QStringLiteral("m_reg")).toUInt() == address) {
                        found = map;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }

    QList<QVariantMap> replies;
    QList<QVariantMap> timeouts;

private:
    Listener m_listener;
    QObject m_context;
    QString m_guid;
};

} // namespace cli
