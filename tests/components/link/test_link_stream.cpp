// Serial links: datagrams framed on a byte stream, against a device stand-in on
// the master side of a pseudo terminal.
#include "bll_communicationmain_desktop.h"
#include "loopbackresponder.h"
#include "module_sendcard_protocol.h"
#include "streamframing.h"
#include "wireframe.h"

#include <QSocketNotifier>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using ledwall::link::StreamDeframer;

namespace {

BLL_CommunicationMain_Desktop *links()
{
    return BLL_CommunicationMain_Desktop::getInstance();
}

class PtyDevice
{
public:
    // False, with the reason, where no pseudo terminal can be had.
    bool open(QString *error)
    {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
            *error = QString::fromLocal8Bit(strerror(errno));
            return false;
        }
        termios raw;
        tcgetattr(m_master, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_master, TCSANOW, &raw);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_slaveName = QString::fromLocal8Bit(name);
        m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readRequests(); });
        return true;
    }
    ~PtyDevice()
    {
        m_notifier.reset();
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    QString slaveName() const { return m_slaveName; }
    void writeRaw(const QByteArray &bytes) { QVERIFY(::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size()); }

    int requests = 0;
    bool noiseBeforeReply = false;

private:
    void readRequests()
    {
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            return;
        for (const QByteArray &datagram : m_deframer.feed(QByteArray(buffer, int(n)))) {
            auto decoded = ledwall::wire::decodeFrame(datagram);
            if (!decoded.frame)
                continue;
            ++requests;
            QByteArray out;
            if (noiseBeforeReply)
                out += QByteArray("\x7e\xe7\x00\x05\x00garbage", 12) + StreamDeframer::wrap("not a frame");
            out += StreamDeframer::wrap(LoopbackResponder::replyTo(*decoded.frame));
            writeRaw(out);
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_slaveName;
    StreamDeframer m_deframer;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

Module_SendCard_Protocol frame(const QByteArray &payload, int timeoutMs)
{
    Module_SendCard_Protocol f;
    f.cmdData = payload;
    f.m_timeout = timeoutMs;
    return f;
}

} // namespace

class TestLinkStream : public QObject
{
    Q_OBJECT
private slots:
    void serialRoundTripSkipsNoise()
    {
        PtyDevice device;
        QString error;
        if (!device.open(&error))
            QSKIP(qPrintable("no pseudo terminal can be opened here (" + error
                             + "); the serial round trip needs one"));
        device.noiseBeforeReply = true;
        const QString guid = links()->createCommunicateObject(SerialLink, DefaultProtocol);
        QVERIFY2(links()->openSerialport(guid, device.slaveName(), 115200), qPrintable(device.slaveName()));
        QStringList payloads;
        QObject receiver;
        connect(links(), &BLL_CommunicationMain_Desktop::sig_reciveCmd, &receiver,
                [&](const QString &g, Module_ProtocolBase *f) {
                    if (g == guid)
                        payloads.append(QString::fromLatin1(static_cast<Module_SendCard_Protocol *>(f)->cmdData));
                });
        for (int i = 0; i < 5; ++i) {
            Module_SendCard_Protocol f = frame(QByteArray::number(i), 500);
            QVERIFY(links()->pushCmdToClient(guid, &f, false));
        }
        QTRY_COMPARE_WITH_TIMEOUT(payloads.size(), 5, 2000);
        QCOMPARE(payloads, (QStringList{"re:0", "re:1", "re:2", "re:3", "re:4"}));
        QCOMPARE(device.requests, 5);
        QCOMPARE(links()->linkStatistics(guid).value("timeouts").toInt(), 0);
        // Each framed non-frame passes the stream checks and fails decoding.
        QTRY_COMPARE_WITH_TIMEOUT(links()->linkStatistics(guid).value("dropped").toInt(), 5, 1000);
        links()->releaseCommunicateObject(guid);
    }
};

QTEST_GUILESS_MAIN(TestLinkStream)

#include "test_link_stream.moc"
