// Network links of the link manager against a loopback device stand-in.
#include "bll_communicationmain_desktop.h"
#include "loopbackresponder.h"
#include "module_processor_protocol.h"
#include "module_sendcard_protocol.h"
#include "module_vpu_protocol.h"
#include "wireframe.h"

#include <QElapsedTimer>
#include <QtTest>
#include <thread>

namespace {

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
    case Module_ProtocolBase::SendCard: return static_cast<const Module_SendCard_Protocol *>(frame)->cmdData;
    case Module_ProtocolBase::VideoProcessingUnit: return static_cast<const Module_VPU_Protocol *>(frame)->m_data;
    case Module_ProtocolBase::Processor: return static_cast<const Module_Processor_Protocol *>(frame)->m_data;
    }
    return QByteArray();
}

// Records what a receiver can see during the emission: the frame is gone after it.
struct Received {
    QString guid;
    QString frameGuid;
    QByteArray payload;
    quint16 sequence = 0;
    int type = -1;
    bool flag = false;
    bool inManagerThread = false;
};

struct Recorder : QObject {
    explicit Recorder(bool timeouts)
    {
        auto record = [this](const QString &guid, Module_ProtocolBase *frame) {
            frames.append({guid, frame->m_guid, payloadOf(frame), frame->m_sequence, frame->protocolType(),
                           frame->m_flag, QThread::currentThread() == links()->thread()});
        };
        if (timeouts)
            connect(links(), &BLL_CommunicationMain_Desktop::sig_timeoutCmd, this, record);
        else
            connect(links(), &BLL_CommunicationMain_Desktop::sig_reciveCmd, this, record);
    }
    QList<Received> frames;
    QList<Received> of(const QString &guid) const
    {
        QList<Received> mine;
        for (const Received &r : frames)
            if (r.guid == guid)
                mine.append(r);
        return mine;
    }
};

qint64 stat(const QString &guid, const char *key)
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

QList<QVariantMap> statusOf(const QSignalSpy &spy, const QString &guid)
{
    QList<QVariantMap> maps;
    for (const QList<QVariant> &args : spy) {
        const QVariantMap map = args.at(0).toMap();
        if (map.value("guid").toString() == guid)
            maps.append(map);
    }
    return maps;
}

} // namespace

class TestLinkUdp : public QObject
{
    Q_OBJECT
private slots:
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
        const QString guid = openLink();
        QVERIFY(!guid.isEmpty());
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
        const QString guid = openLink();
        QVERIFY(!guid.isEmpty());
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
        QTRY_COMPARE_WITH_TIMEOUT(stat(guid, "late"), qint64(1), 1000);

        // With the time-out flag off, expired frames leave the queue without a signal.
        links()->setTimeoutFlag(guid, false);
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QTRY_COMPARE_WITH_TIMEOUT(stat(guid, "timeouts"), qint64(3), 1000);
        QTest::qWait(70);
        QCOMPARE(timeouts.of(guid).size(), 2);
        QCOMPARE(replies.of(guid).size(), 0);
    }

    void clearingDropsQueuedFrames()
    {
        const QString guid = openLink();
        QVERIFY(!guid.isEmpty());
        m_responder->silent = true;
        links()->setQueueType(guid, 1);
        Recorder timeouts(true);
        for (int i = 0; i < 5; ++i) {
            Module_SendCard_Protocol frame = readFrame(QByteArray::number(i), 100);
            QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        }
        QVERIFY(waitFor([&] { return stat(guid, "outstanding") == 1; }));
        QCOMPARE(links()->getCmdQueueCount(guid), 5);
        links()->clearCmdQueue(guid);
        QCOMPARE(links()->getCmdQueueCount(guid), 1);
        QTRY_COMPARE_WITH_TIMEOUT(timeouts.of(guid).size(), 1, 1000);
        QTest::qWait(120);
        QCOMPARE(timeouts.of(guid).size(), 1);
        QCOMPARE(timeouts.of(guid).first().payload, QByteArray("0"));
        QCOMPARE(stat(guid, "cleared"), qint64(4));
        QCOMPARE(m_responder->requests, 2); // discovery and the first frame
    }

    // Device news is delivered; a frame not from a device and garbage are dropped
    // and counted, and the link keeps working.
    void unsolicitedAndGarbledDatagrams()
    {
        const QString guid = openLink();
        QVERIFY(!guid.isEmpty());
        Recorder replies(false);
        Module_VPU_Protocol news;
        news.m_wireFlags = Module_ProtocolBase::IsReply;
        news.m_data = "status";
        Module_VPU_Protocol foreign;
        foreign.m_data = "echo";
        QByteArray badCrc = news.encode(0);
        badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x55);
        for (const QByteArray &bytes : {news.encode(0), foreign.encode(0), QByteArray("x"), badCrc.left(12), badCrc})
            m_responder->sendToLastSender(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(stat(guid, "dropped"), qint64(4), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), 1, 1000);
        QCOMPARE(replies.of(guid).first().payload, QByteArray("status"));
        Module_SendCard_Protocol frame = readFrame("ok", 500);
        QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        QTRY_COMPARE_WITH_TIMEOUT(replies.of(guid).size(), 2, 1000);
    }

    void windowLimitsRequestsOnTheWire()
    {
        const QString guid = openLink();
        QVERIFY(!guid.isEmpty());
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
        const QString guid = openLink();
        QVERIFY(!guid.isEmpty());
        Recorder replies(false);
        const int threads = 4, perThread = 75;
        std::vector<std::thread> pushers;
        for (int t = 0; t < threads; ++t) {
            pushers.emplace_back([guid, t] {
                for (int i = 0; i < perThread; ++i) {
                    Module_SendCard_Protocol frame = readFrame(QByteArray::number(t * 1000 + i), 2000);
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
        QCOMPARE(stat(guid, "timeouts"), qint64(0));
        QCOMPARE(m_responder->undecodable, 0);
    }

    void releaseWithOutstandingFramesIsSafe()
    {
        const QString guid = openLink();
        QVERIFY(!guid.isEmpty());
        m_responder->replyDelayMs = 20;
        Recorder replies(false);
        Recorder timeouts(true);
        for (int i = 0; i < 30; ++i) {
            Module_SendCard_Protocol frame = readFrame("r", 30);
            QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        }
        QVERIFY(waitFor([&] { return stat(guid, "outstanding") > 0; }));
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
        QSignalSpy status(links(), &BLL_CommunicationMain_Desktop::sig_TalkToUI);
        const QString net = links()->createCommunicateObject(NetworkLink, DefaultProtocol);
        const QString serial = links()->createCommunicateObject(SerialLink, DefaultProtocol);
        const QString usb = links()->createCommunicateObject(UsbLink, DefaultProtocol);
        m_guids << net << serial << usb;
        QVERIFY(links()->createCommunicateObject(CommunicationType(7), DefaultProtocol).isEmpty());

        QVERIFY(!links()->connectServer(net, "127.0.0.1", 0));
        QVERIFY(!links()->connectServer(serial, "127.0.0.1", m_responder->port())); // wrong link type
        QVERIFY(!links()->openSerialport(serial, "ledwall-no-such-port", 115200));
        QVERIFY(!links()->openUsb(usb, 0x080A, 0x96FE, "no-such-serial"));
        QVERIFY(waitFor([&] {
            return statusOf(status, net).size() == 1 && statusOf(status, serial).size() == 2
                   && statusOf(status, usb).size() == 1;
        }));
        for (const QString &guid : {net, serial, usb}) {
            for (const QVariantMap &map : statusOf(status, guid)) {
                QCOMPARE(map.value("event").toString(), QString("linkError"));
                QVERIFY(!map.value("error").toString().isEmpty());
            }
        }

        // Nothing can be pushed to a link that is not open, and nothing is queued.
        Module_SendCard_Protocol frame = readFrame("x", 10);
        QVERIFY(!links()->pushCmdToClient(serial, &frame, false));
        QCOMPARE(links()->getCmdQueueCount(serial), 0);
    }

    void groupsFindTheirMembers()
    {
        links()->saveGroupInfo({QStringList{"a", "b", "c"}, QVariantMap{{"guids", QVariantList{"c", "d"}}}}, "owner");
        QCOMPARE(links()->findSameGroupDev("b"), (QStringList{"a", "c"}));
        QCOMPARE(links()->findSameGroupDev("c"), (QStringList{"a", "b", "d"}));
        links()->saveGroupInfo({QStringList{"b", "x"}}, "owner"); // replaces the owner's groups
        QCOMPARE(links()->findSameGroupDev("b"), QStringList{"x"});
    }

    // last: the process must exit cleanly with it
    void linkLeftOpenAtExit()
    {
        const QString guid = openLink();
        QVERIFY(!guid.isEmpty());
        m_guids.removeAll(guid); // not released: shut down with the application
        m_responder->silent = true;
        for (int i = 0; i < 20; ++i) {
            Module_SendCard_Protocol frame = readFrame("bye", 5000);
            QVERIFY(links()->pushCmdToClient(guid, &frame, false));
        }
        QVERIFY(waitFor([&] { return stat(guid, "outstanding") == 16; }));
    }

private:
    QString openLink();
    std::unique_ptr<LoopbackResponder> m_responder;
    QStringList m_guids;
};

QString TestLinkUdp::openLink()
{
    const QString guid = links()->createCommunicateObject(NetworkLink, DefaultProtocol);
    m_guids.append(guid);
    if (!links()->connectServer(guid, "127.0.0.1", m_responder->port()))
        return QString();
    links()->setTimeoutFlag(guid, true);
    // The discovery request goes first; wait until it is answered and counted.
    return waitFor([&] { return stat(guid, "received") == 1; }) ? guid : QString();
}

QTEST_GUILESS_MAIN(TestLinkUdp)

#include "test_link_udp.moc"
