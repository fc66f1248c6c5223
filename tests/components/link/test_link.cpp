// The link manager: its request queue and stream framing, its network links
// against a loopback device stand-in, and a serial link on a pseudo terminal.
#include "armframe.h"
#include "bll_communicationmain_desktop.h"
#include "loopbackresponder.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "requestqueue.h"
#include "streamframing.h"
#include "virtualwall.h"
#include "wireframe.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using ledwall::link::RequestQueue;
using ledwall::link::StreamDeframer;

namespace
{

BLL_CommunicationMain_Desktop *links()
{
    return BLL_CommunicationMain_Desktop::getInstance();
}

Module_SendCard_Protocol readFrame(const QByteArray &payload, int timeoutMs)
{
    Module_SendCard_Protocol frame;
    frame.m_head[2] = char(0xA4);
    frame.cmdData = payload;
    frame.m_timeout = timeoutMs;
    return frame;
}

template <class T> std::unique_ptr<Module_ProtocolBase> envelope(const QByteArray &data)
{
    auto frame = std::make_unique<T>();
    frame->m_data = data;
    return frame;
}

QByteArray payloadOf(const Module_ProtocolBase *frame)
{
    switch (frame->protocolType()) {
    case Module_ProtocolBase::SendCard:
        return static_cast<const Module_SendCard_Protocol *>(frame)->cmdData;
    case Module_ProtocolBase::VideoProcessingUnit:
        return static_cast<const Module_VPU_Protocol *>(frame)->m_data;
    case Module_ProtocolBase::Processor:
        return static_cast<const Module_Processor_Protocol *>(frame)->m_data;
    }
    return QByteArray();
}

// Records what a receiver can see during the emission: the frame is gone after it.
struct Received {
    QString guid;
    QByteArray payload;
    quint16 sequence = 0;
    int type = -1;
    bool flag = false;
    bool inManagerThread = false;
};

// Taken directly in the link manager's thread, as the frame lives only there.
struct Recorder : QObject {
    using Hook = std::function<void(const QByteArray &payload)>;
    explicit Recorder(bool timeouts, Hook hook = {})
    {
        connect(
            links(),
            timeouts ? &BLL_CommunicationMain_Desktop::sig_timeoutCmd
                     : &BLL_CommunicationMain_Desktop::sig_reciveCmd,
            this,
            [this, hook](const QString &guid, Module_ProtocolBase *frame) {
                if (hook)
                    hook(payloadOf(frame));
                std::lock_guard<std::mutex> locker(mutex);
                frames.append({guid, payloadOf(frame), frame->m_sequence, frame->protocolType(),
                               frame->m_flag, QThread::currentThread() == links()->thread()});
            },
            Qt::DirectConnection);
    }
    std::mutex mutex;
    QList<Received> frames;
    QList<Received> of(const QString &guid)
    {
        std::lock_guard<std::mutex> locker(mutex);
        QList<Received> mine;
        for (const Received &r : frames)
            if (r.guid == guid)
                mine.append(r);
        return mine;
    }
    QList<QByteArray> payloads(const QString &guid)
    {
        QList<QByteArray> list;
        for (const Received &r : of(guid))
            list.append(r.payload);
        return list;
    }
};

qint64 statistic(const QString &guid, const char *key)
{
    return links()->linkStatistics(guid).value(QLatin1String(key)).toLongLong();
}

// Polls every millisecond (QTRY_* steps in 50 ms, longer than some time-outs here).
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 1000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(1);
    }
    return true;
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
    void writeRaw(const QByteArray &bytes)
    {
        QVERIFY(::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size());
    }

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
            QByteArray out;
            out +=
                QByteArray("\x7e\xe7\x00\x05\x00garbage", 12) + StreamDeframer::wrap("not a frame");
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

} // namespace

// Opens a link to the responder (discovery answered), or fails the test.
#define OPEN_LINK(guid)                                                                            \
    const QString guid = openLink();                                                               \
    QVERIFY(!guid.isEmpty())

class TestLink : public QObject
{
    Q_OBJECT
private slots:
    // First of all: the link manager is first touched from a thread without an
    // event loop (a worker pushing frames), and its signals still flow.
    void firstUseFromPlainThreadStillDelivers()
    {
        QString guid;
        std::thread([&] {
            guid = links()->createCommunicateObject(NetworkLink, DefaultProtocol);
            links()->connectServer(guid, "127.0.0.1", m_responder->port());
        }).join();
        m_guids << guid;
        Recorder replies(false);
        Module_SendCard_Protocol frame = readFrame("first", 500);
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QTRY_COMPARE_WITH_TIMEOUT(replies.payloads(guid), QList<QByteArray>{"re:first"}, 2000);
    }

    // Serial links: datagrams framed on a byte stream, against a device stand-in on
    // the master side of a pseudo terminal.
    void serialRoundTripSkipsNoise()
    {
        PtyDevice device;
        QString error;
        if (!device.open(&error))
            QSKIP(qPrintable("no pseudo terminal can be opened here (" + error +
                             "); the serial round trip needs one"));
        const QString guid = links()->createCommunicateObject(SerialLink, DefaultProtocol);
        QVERIFY2(links()->openSerialport(guid, device.slaveName(), 115200),
                 qPrintable(device.slaveName()));
        Recorder replies(false);
        for (int i = 0; i < 5; ++i) {
            Module_SendCard_Protocol f = readFrame(QByteArray::number(i), 500);
            QVERIFY(links()->pushCmdToClient(guid, &f, false));
        }
        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), 5, 2000);
        QCOMPARE(replies.payloads(guid),
                 (QList<QByteArray>{"re:0", "re:1", "re:2", "re:3", "re:4"}));
        // Each framed non-frame passes the stream checks and fails decoding.
        QTRY_COMPARE_WITH_TIMEOUT(links()->linkStatistics(guid).value("dropped").toInt(), 5, 1000);
        links()->releaseCommunicateObject(guid);
    }

    void sequencesSkipZeroAndOutstanding()
    {
        RequestQueue queue;
        auto request = std::make_unique<Module_SendCard_Protocol>();
        request->m_timeout = 1000; // stays outstanding across a full wrap
        queue.push(std::move(request));
        RequestQueue::Dispatch dispatch;
        QVERIFY(queue.takeNext(0, &dispatch));
        const quint16 held = dispatch.sequence;
        QCOMPARE(held, quint16(1));
        QSet<quint16> seen;
        for (int i = 0; i < 70000; ++i) {
            const quint16 s = queue.reserveSequence();
            QVERIFY(s != 0);
            QVERIFY(s != held);
            seen.insert(s);
        }
        QCOMPARE(seen.size(), 65534);
    }

    void streamResynchronisesAfterCorruption()
    {
        QByteArray broken = StreamDeframer::wrap("damaged");
        broken[8] = char(broken[8] ^ 0x01);
        // A false header claiming a huge length must not hold back the next record:
        // its header check fails.
        const QByteArray falseHeader = QByteArray::fromHex("7ee7ffff00");
        const QByteArray good = StreamDeframer::wrap("intact");
        StreamDeframer deframer;
        const QList<QByteArray> out = deframer.feed(broken + falseHeader + good);
        QCOMPARE(out, QList<QByteArray>{QByteArray("intact")});
        QCOMPARE(deframer.badRecords(), qint64(1));
    }

    void init()
    {
        m_responder = std::make_unique<LoopbackResponder>();
        QVERIFY(m_responder->start());
    }

    void cleanup()
    {
        for (const QString &guid : qAsConst(m_guids))
            links()->releaseCommunicateObject(guid);
        m_guids.clear();
        m_responder.reset();
    }

    void replyComesBackWithGuidAndContents_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("sending card") << int(Module_ProtocolBase::SendCard);
        QTest::newRow("video processing unit") << int(Module_ProtocolBase::VideoProcessingUnit);
        QTest::newRow("processor") << int(Module_ProtocolBase::Processor);
    }

    void replyComesBackWithGuidAndContents()
    {
        QFETCH(int, type);
        OPEN_LINK(guid);
        Recorder replies(false);

        // The caller deletes its frame at once; the link works on its own copy.
        std::unique_ptr<Module_ProtocolBase> frame;
        if (type == Module_ProtocolBase::SendCard)
            frame = std::make_unique<Module_SendCard_Protocol>(readFrame("abc", 500));
        else if (type == Module_ProtocolBase::VideoProcessingUnit)
            frame = envelope<Module_VPU_Protocol>("abc");
        else
            frame = envelope<Module_Processor_Protocol>("abc");
        frame->m_timeout = 500;
        QVERIFY(links()->pushCmdToClient(guid, frame.get(), true));
        frame.reset();

        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), 1, 2000);
        const Received reply = replies.of(guid).first();
        QCOMPARE(reply.type, type);
        QCOMPARE(reply.payload, QByteArray("re:abc"));
        QVERIFY(reply.flag);
        QVERIFY(reply.inManagerThread);
    }

    void timeoutOnlyAfterDeadline()
    {
        OPEN_LINK(guid);
        m_responder->silent = true;
        Recorder replies(false);
        Recorder timeouts(true);
        Module_SendCard_Protocol frame = readFrame("lost", 60);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QTRY_COMPARE_WITH_TIMEOUT(timeouts.of(guid).size(), 1, 1000);
        QVERIFY2(clock.elapsed() >= 60, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(timeouts.of(guid).first().payload, QByteArray("lost"));
        QCOMPARE(links()->getCmdQueueCount(guid), 0);

        // A reply after the deadline is counted late, not reported a second time.
        m_responder->silent = false;
        m_responder->replyDelayMs = 60;
        frame.m_timeout = 20;
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QTRY_COMPARE_WITH_TIMEOUT(statistic(guid, "late"), qint64(1), 1000);
        QCOMPARE(replies.of(guid).size(), 0);

        // A request sent straight from this thread while the timer of an answered
        // one still runs times out all the same.
        m_responder->replyDelayMs = 0;
        frame.m_timeout = 100;
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), 1, 1000);
        m_responder->silent = true;
        frame.m_timeout = 150;
        const int before = timeouts.of(guid).size();
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QTRY_COMPARE_WITH_TIMEOUT(timeouts.of(guid).size(), before + 1, 1000);
    }

    void clearingDropsQueuedFrames()
    {
        OPEN_LINK(guid);
        m_responder->silent = true;
        links()->setQueueType(guid, 1);
        Recorder timeouts(true);
        for (int i = 0; i < 5; ++i) {
            Module_SendCard_Protocol frame = readFrame(QByteArray::number(i), 100);
            QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        }
        QVERIFY(waitFor([&] { return statistic(guid, "outstanding") == 1; }));
        QCOMPARE(links()->getCmdQueueCount(guid), 5);
        links()->clearCmdQueue(guid);
        QCOMPARE(links()->getCmdQueueCount(guid), 1);
        QTRY_COMPARE_WITH_TIMEOUT(timeouts.of(guid).size(), 1, 1000);
        QCOMPARE(timeouts.of(guid).first().payload, QByteArray("0"));
        QCOMPARE(statistic(guid, "cleared"), qint64(4));
        QCOMPARE(m_responder->requests, 2); // discovery and the first frame
    }

    // Device news is delivered; a frame not from a device and garbage are dropped
    // and counted, and the link keeps working.
    void unsolicitedAndGarbledDatagrams()
    {
        OPEN_LINK(guid);
        Recorder replies(false);
        Module_VPU_Protocol news;
        news.m_wireFlags = Module_ProtocolBase::IsReply;
        news.m_data = "status";
        Module_VPU_Protocol foreign;
        foreign.m_data = "echo";
        QByteArray badCrc = news.encode(0);
        badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x55);
        for (const QByteArray &bytes :
             {news.encode(0), foreign.encode(0), QByteArray("x"), badCrc.left(12), badCrc})
            m_responder->sendToLastSender(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(statistic(guid, "dropped"), qint64(4), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), 1, 1000);
        QCOMPARE(replies.of(guid).first().payload, QByteArray("status"));
        Module_SendCard_Protocol frame = readFrame("ok", 500);
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), 2, 1000);
    }

    // A direct link takes replies only from its device; a search link from anyone.
    void repliesComeOnlyFromTheDevice_data()
    {
        QTest::addColumn<bool>("search");
        QTest::newRow("direct link") << false;
        QTest::newRow("search link") << true;
    }

    void repliesComeOnlyFromTheDevice()
    {
        QFETCH(bool, search);
        OPEN_LINK(guid);
        links()->setSearchLink(guid, search);
        Recorder replies(false);
        QUdpSocket impostor; // another loopback address answers with the request's sequence
        QVERIFY(impostor.bind(QHostAddress("127.0.0.2"), 0));
        m_responder->replyFrom = &impostor;
        Module_SendCard_Protocol frame = readFrame("who", 100);
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QVERIFY(waitFor([&] { return links()->getCmdQueueCount(guid) == 0; }));
        QCOMPARE(replies.of(guid).size(), search ? 1 : 0);
        QCOMPARE(statistic(guid, "foreign"), qint64(search ? 0 : 1));
    }

    // A flood of device news that nobody takes in time costs a bounded backlog: the
    // oldest news goes, the reply to a request stays.
    void newsFloodKeepsNewestNewsAndEveryReply()
    {
        OPEN_LINK(guid);
        links()->setReceiveBacklog(guid, 4);
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::atomic<bool> holding{false};
        Recorder replies(false, [&holding, released](const QByteArray &payload) {
            if (payload == "news0") { // holds the link manager's thread
                holding = true;
                released.wait_for(std::chrono::seconds(5));
            }
        });
        Module_VPU_Protocol item;
        item.m_wireFlags = Module_ProtocolBase::IsReply;
        auto news = [&](int first, int last) {
            for (item.m_data = "news" + QByteArray::number(first); first <= last;
                 item.m_data = "news" + QByteArray::number(++first))
                m_responder->sendToLastSender(item.encode(0));
        };
        news(0, 0);
        QVERIFY(waitFor([&] { return holding.load(); }));
        Module_SendCard_Protocol frame = readFrame("asked", 2000);
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        news(1, 20);
        release.set_value();
        QVERIFY(waitFor([&] { return statistic(guid, "overflow") == 16; }));
        QTRY_VERIFY_WITH_TIMEOUT(replies.payloads(guid).contains("re:asked"), 2000);
        QList<QByteArray> delivered = replies.payloads(guid);
        delivered.removeOne("re:asked");
        QCOMPARE(delivered, (QList<QByteArray>{"news0", "news17", "news18", "news19", "news20"}));
    }

    // More datagrams than one wake-up reads are all read, in order.
    void burstLongerThanOneReadBatchArrivesWhole()
    {
        OPEN_LINK(guid);
        Recorder replies(false);
        Module_VPU_Protocol item;
        item.m_wireFlags = Module_ProtocolBase::IsReply;
        for (int i = 0; i < 600; ++i) {
            item.m_data = QByteArray::number(i);
            m_responder->sendToLastSender(item.encode(0));
        }
        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), 600, 5000);
        QCOMPARE(replies.payloads(guid).last(), QByteArray("599"));
    }

    // A read of every card of a wall collects the answer of each card.
    void readOfEveryCardCollectsEveryAnswer()
    {
        ledwall::sim::WallDescription four;
        four.ports.resize(1);
        four.ports[0].cabinets = {{0, 64, 32}, {1, 64, 32}, {2, 64, 32}, {3, 64, 32}};
        ledwall::sim::VirtualWall wall;
        wall.setWall(four);
        QVERIFY(wall.start());
        const QString guid = links()->createCommunicateObject(NetworkLink, DefaultProtocol);
        m_guids << guid;
        QVERIFY(links()->connectServer(guid, "127.0.0.1", wall.port()));
        Recorder replies(false);

        // Command 0x02 (read) of 4 bytes of the size report, cards 0xFFFF (every card).
        const ledwall::arm::InnerFrame inner{0x02, 0xFFFF, 0xFFFF, 4, 0xA0000000, {}};
        Module_SendCard_Protocol read = readFrame(ledwall::arm::buildInnerFrame(inner), 200);
        ledwall::arm::setAddress(read.m_head, 0xFF0000);
        ledwall::arm::setLength(read.m_head,
                                quint16(inner.dataLength + ledwall::arm::InnerOverhead));
        QVERIFY(links()->pushCmdToClient(guid, &read, false));
        QVERIFY(waitFor([&] { return links()->getCmdQueueCount(guid) == 0; }, 2000));
        QCOMPARE(replies.of(guid).size(), 4);
        QCOMPARE(statistic(guid, "late") + statistic(guid, "timeouts"), qint64(0));
    }

    void windowLimitsRequestsOnTheWire()
    {
        OPEN_LINK(guid);
        m_responder->silent = true;
        const int before = m_responder->requests;
        for (int i = 0; i < 40; ++i) {
            Module_SendCard_Protocol frame = readFrame("w", 2000);
            links()->pushCmdToClient(guid, &frame, false);
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_responder->requests - before, 16, 1000);
        QTest::qWait(20);
        QCOMPARE(m_responder->requests - before, 16);
        QCOMPARE(links()->getCmdQueueCount(guid), 40);

        // Fast mode lets the rest go without waiting.
        links()->setFastMode(guid, true);
        QTRY_COMPARE_WITH_TIMEOUT(m_responder->requests - before, 40, 1000);
        links()->stopConnect(guid);
        QCOMPARE(links()->getCmdQueueCount(guid), 0);
    }

    void manyFramesFromManyThreadsKeepOrder()
    {
        OPEN_LINK(guid);
        Recorder replies(false);
        const int threads = 4, perThread = 75;
        std::vector<std::thread> pushers;
        for (int t = 0; t < threads; ++t) {
            pushers.emplace_back([guid, t] {
                for (int i = 0; i < perThread; ++i) {
                    Module_SendCard_Protocol frame =
                        readFrame(QByteArray::number(t * 1000 + i), 2000);
                    links()->pushCmdToClient(guid, &frame, false);
                }
            });
        }
        for (std::thread &pusher : pushers)
            pusher.join();
        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), threads * perThread, 5000);
        const QList<Received> got = replies.of(guid);
        QVector<int> last(threads, -1);
        for (int i = 0; i < got.size(); ++i) {
            const int value = got.at(i).payload.mid(3).toInt();
            QVERIFY2(value % 1000 == last[value / 1000] + 1, got.at(i).payload.constData());
            last[value / 1000] = value % 1000;
            if (i > 0)
                QCOMPARE(quint16(got.at(i).sequence - got.at(i - 1).sequence), quint16(1));
        }
        QCOMPARE(statistic(guid, "timeouts"), qint64(0));
        QCOMPARE(m_responder->undecodable, 0);
    }

    void releaseWithOutstandingFramesIsSafe()
    {
        OPEN_LINK(guid);
        m_responder->replyDelayMs = 20;
        Recorder replies(false);
        Recorder timeouts(true);
        for (int i = 0; i < 30; ++i) {
            Module_SendCard_Protocol frame = readFrame("r", 30);
            QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        }
        QVERIFY(waitFor([&] { return statistic(guid, "outstanding") > 0; }));
        links()->releaseCommunicateObject(guid);
        m_guids.removeAll(guid);
        QTest::qWait(80); // the delayed replies and the deadlines pass
        QCOMPARE(replies.of(guid).size(), 0);
        QCOMPARE(timeouts.of(guid).size(), 0);
        QVERIFY(links()->linkStatistics(guid).isEmpty());
        Module_SendCard_Protocol frame = readFrame("r", 30);
        QVERIFY(!links()->pushCmdToClient(guid, &frame, false));
    }

    void openFailuresAreClean()
    {
        const QString net = links()->createCommunicateObject(NetworkLink, DefaultProtocol);
        const QString serial = links()->createCommunicateObject(SerialLink, DefaultProtocol);
        const QString usb = links()->createCommunicateObject(UsbLink, DefaultProtocol);
        m_guids << net << serial << usb;
        QStringList errors; // status maps may be queued to any thread
        QObject receiver;
        connect(links(), &BLL_CommunicationMain_Desktop::sig_TalkToUI, &receiver,
                [&](const QVariantMap &map) {
                    if (m_guids.contains(map.value("guid").toString()) &&
                        map.value("event") == "linkError" && !map.value("error").isNull())
                        errors << map.value("guid").toString();
                });
        QVERIFY(links()->createCommunicateObject(CommunicationType(7), DefaultProtocol).isEmpty());

        QVERIFY(!links()->connectServer(net, "127.0.0.1", 0));
        QVERIFY(
            !links()->connectServer(serial, "127.0.0.1", m_responder->port())); // wrong link type
        QVERIFY(!links()->openSerialport(serial, "ledwall-no-such-port", 115200));
        QVERIFY(!links()->openUsb(usb, 0x080A, 0x96FE, "no-such-serial"));
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 4, 1000);
        QCOMPARE(errors.count(serial), 2);

        // Nothing can be pushed to a link that is not open, and nothing is queued.
        Module_SendCard_Protocol frame = readFrame("x", 10);
        QVERIFY(!links()->pushCmdToClient(serial, &frame, false));
        QCOMPARE(links()->getCmdQueueCount(serial), 0);
    }

    // last: the process must exit cleanly with it
    void linkLeftOpenAtExit()
    {
        OPEN_LINK(guid);
        m_guids.removeAll(guid); // not released: shut down with the application
        m_responder->silent = true;
        for (int i = 0; i < 20; ++i) {
            Module_SendCard_Protocol frame = readFrame("bye", 5000);
            QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        }
        QVERIFY(waitFor([&] { return statistic(guid, "outstanding") == 16; }));
    }

private:
    QString openLink();
    std::unique_ptr<LoopbackResponder> m_responder;
    QStringList m_guids;
};

QString TestLink::openLink()
{
    const QString guid = links()->createCommunicateObject(NetworkLink, DefaultProtocol);
    m_guids.append(guid);
    if (!links()->connectServer(guid, "127.0.0.1", m_responder->port()))
        return QString();
    links()->setTimeoutFlag(guid, true);
    // The discovery request goes first; wait until it is answered and counted.
    return waitFor([&] { return statistic(guid, "received") == 1; }) ? guid : QString();
}

QTEST_GUILESS_MAIN(TestLink)

#include "test_link.moc"
