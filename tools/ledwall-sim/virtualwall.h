#pragma once
// The virtual LED wall: a sending card with its receiving cards, a processor role
// and a processor echoing its video (echostreamer.h), reached over real UDP on loopback.
//
//     ledwall::sim::VirtualWall wall;
//     wall.loadWallFile(path);            // optional
//     wall.start();                       // ephemeral port on 127.0.0.1
//     link.connectServer(guid, "127.0.0.1", wall.port());
//
// The server runs on a thread of its own; stop() (and the destructor) joins it.
// Memory, counters and fault settings may be used from any thread. The request
// signals are delivered on the thread the wall object lives in.

#include "echostreamer.h"
#include "faultinjector.h"
#include "simwire.h"
#include "walldescription.h"
#include "wallmodel.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>

#include <memory>

class QThread;

namespace ledwall::sim
{

class UdpServer;

class VirtualWall : public QObject
{
    Q_OBJECT
public:
    explicit VirtualWall(QObject *parent = nullptr);
    ~VirtualWall() override;

    // Loads a wall file (see walldescription.h). On failure the current wall is kept.
    bool loadWallFile(const QString &path, QString *error = nullptr);
    void setWall(const WallDescription &wall);
    WallDescription wall() const;

    // Starts answering on `address`:`port` (0 = an ephemeral port). Refuses any
    // address outside 127.0.0.0/8, a second start, and a port that cannot be bound.
    bool start(quint16 port = 0, const QHostAddress &address = QHostAddress::LocalHost);
    void stop();
    bool isRunning() const { return m_thread != nullptr; }
    quint16 port() const { return m_port; }
    QHostAddress address() const { return m_address; }

    // The sending card's memory: flash at 0x100000..0x3FFFFF reads 0xFF until
    // written, registers elsewhere read 0 (memoryspace.h).
    QByteArray readMemory(quint32 address, int length) const;
    bool writeMemory(quint32 address, const QByteArray &bytes);

    // Memory of the receiving card `card` on output port `port` (receivingcards.h):
    // the address counts 4-byte units and its top byte names the space (0xAF flash
    // with the card's firmware image at 0xAF000000, 0xA0 ...). Empty / false when
    // the wall has no such card.
    QByteArray readReceivingCard(int port, int card, quint32 address, int length) const;
    bool writeReceivingCard(int port, int card, quint32 address, const QByteArray &bytes);
    // Size of every card's firmware image (default 64 KiB); the cards start afresh.
    void setReceivingCardFirmwareSize(int bytes);

    // Fault injection (faultinjector.h).
    void setDropEveryNth(int n);
    void dropNext(int count);
    void setReplyDelay(int milliseconds);
    void setDuplicateReplies(bool on);
    void setReorderReplies(bool on);
    void setSilent(bool on);
    void setSilentAddresses(const QSet<quint32> &addresses);
    void setRandomFaults(const RandomFaults &faults);
    FaultTally faultTally() const;
    void clearFaults();

    // The echo role (echostreamer.h): its settings, read when a stream starts, and
    // the number of echo datagrams sent.
    EchoSettings &echoSettings() { return m_echo; }

    Counters counters() const;
    void resetCounters();

    // The pure core, for the roles and for inspection.
    WallModel &model() { return *m_model; }

signals:
    // A well-formed request that the wall acted on.
    void requestAccepted(const ledwall::sim::Frame &request);
    // A well-formed request lost to fault injection.
    void requestDropped(const ledwall::sim::Frame &request);

private:
    std::unique_ptr<WallModel> m_model;
    FaultInjector m_faults;
    EchoSettings m_echo;
    QThread *m_thread = nullptr;
    UdpServer *m_server = nullptr;
    quint16 m_port = 0;
    QHostAddress m_address;
};

} // namespace ledwall::sim
