#include "virtualwall.h"
#include "simlog.h"
#include "udpserver.h"

#include <QThread>

namespace ledwall::sim
{

VirtualWall::VirtualWall(QObject *parent) : QObject(parent), m_model(std::make_unique<WallModel>())
{
    qRegisterMetaType<ledwall::sim::Frame>();
}

VirtualWall::~VirtualWall()
{
    stop();
}

bool VirtualWall::loadWallFile(const QString &path, QString *error)
{
    WallDescription wall;
    QString message;
    if (!WallDescription::fromFile(path, &wall, &message)) {
        qCDebug(lcSim) << "wall file refused:" << message;
        if (error)
            *error = message;
        return false;
    }
    setWall(wall);
    return true;
}

void VirtualWall::setWall(const WallDescription &wall)
{
    m_model->setWall(wall);
}

WallDescription VirtualWall::wall() const
{
    return m_model->wall();
}

bool VirtualWall::start(quint16 port, const QHostAddress &address)
{
    if (!isLoopbackAddress(address)) {
        qCDebug(lcSim) << "refusing to listen on" << address << "- loopback only";
        return false;
    }
    if (isRunning()) {
        qCDebug(lcSim) << "already listening on port" << m_port;
        return false;
    }

    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("ledwall-sim"));
    m_server = new UdpServer(m_model.get(), &m_faults, &m_echo);
    m_server->moveToThread(m_thread);
    connect(m_server, &UdpServer::requestAccepted, this, &VirtualWall::requestAccepted,
            Qt::QueuedConnection);
    connect(m_server, &UdpServer::requestDropped, this, &VirtualWall::requestDropped,
            Qt::QueuedConnection);
    m_thread->start();

    // The socket must be made on the server's thread; wait there for the outcome.
    quint16 boundPort = 0;
    UdpServer *server = m_server;
    QMetaObject::invokeMethod(
        m_server, [server, address, port, &boundPort] { server->bind(address, port, &boundPort); },
        Qt::BlockingQueuedConnection);
    if (boundPort == 0) {
        stop();
        return false;
    }
    m_port = boundPort;
    m_address = address;
    return true;
}

void VirtualWall::stop()
{
    if (!m_thread)
        return;
    UdpServer *server = m_server;
    QMetaObject::invokeMethod(
        m_server, [server] { server->close(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    // The thread has finished: the server (and its timers) can go from here.
    delete m_server;
    m_server = nullptr;
    delete m_thread;
    m_thread = nullptr;
    m_port = 0;
    m_address = QHostAddress();
}

QByteArray VirtualWall::readMemory(quint32 address, int length) const
{
    return m_model->sendCard().memory().read(address, length);
}

bool VirtualWall::writeMemory(quint32 address, const QByteArray &bytes)
{
    return m_model->sendCard().memory().write(address, bytes);
}

QByteArray VirtualWall::readReceivingCard(int port, int card, quint32 address, int length) const
{
    return m_model->receivingCards().read(port, card, address, length);
}

bool VirtualWall::writeReceivingCard(int port, int card, quint32 address, const QByteArray &bytes)
{
    return m_model->receivingCards().write(port, card, address, bytes);
}

void VirtualWall::setReceivingCardFirmwareSize(int bytes)
{
    m_model->receivingCards().setFirmwareSize(bytes);
}

void VirtualWall::setDropEveryNth(int n)
{
    m_faults.setDropEveryNth(n);
}
void VirtualWall::dropNext(int count)
{
    m_faults.dropNext(count);
}
void VirtualWall::setReplyDelay(int milliseconds)
{
    m_faults.setReplyDelay(milliseconds);
}
void VirtualWall::setDuplicateReplies(bool on)
{
    m_faults.setDuplicateReplies(on);
}
void VirtualWall::setSilent(bool on)
{
    m_faults.setSilent(on);
}
void VirtualWall::setSilentAddresses(const QSet<quint32> &addresses)
{
    m_faults.setSilentAddresses(addresses);
}

void VirtualWall::setReorderReplies(bool on)
{
    m_faults.setReorderReplies(on);
    if (!on && m_server) {
        UdpServer *server = m_server;
        QMetaObject::invokeMethod(
            m_server, [server] { server->releaseHeld(); }, Qt::QueuedConnection);
    }
}

void VirtualWall::setRandomFaults(const RandomFaults &faults)
{
    m_faults.setRandomFaults(faults);
}

FaultTally VirtualWall::faultTally() const
{
    return m_faults.tally();
}

void VirtualWall::clearFaults()
{
    m_faults.clear();
    setReorderReplies(false);
}

Counters VirtualWall::counters() const
{
    return m_model->counters();
}

void VirtualWall::resetCounters()
{
    m_model->resetCounters();
}

} // namespace ledwall::sim
