// The virtual wall over real UDP on loopback, with fault injection.

#include "simtestutil.h"
#include "virtualwall.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

using namespace ledwall::sim;
using namespace simtest;

class TestSimServer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_wall = std::make_unique<VirtualWall>();
        QVERIFY(m_wall->start());
        QVERIFY(m_wall->port() != 0);
        m_client = std::make_unique<QUdpSocket>();
        QVERIFY(m_client->bind(QHostAddress::LocalHost, 0));
    }

    void cleanup()
    {
        m_client.reset();
        m_wall.reset(); // joins the server thread
    }


    void onlyLoopback()
    {
        VirtualWall wall;
        QVERIFY(!wall.start(0, QHostAddress::Any));
        QVERIFY(!wall.start(0, QHostAddress::Broadcast));
        // Anywhere in 127.0.0.0/8 is fine.
        QVERIFY(wall.start(0, QHostAddress(QStringLiteral("127.0.0.1"))));
    }

    void startStopRestart()
    {
        const quint16 port = m_wall->port();
        QVERIFY(!m_wall->start()); // already running
        // A port that is taken is reported, not ignored.
        VirtualWall second;
        QVERIFY(!second.start(port));
        m_wall->stop();
        m_wall->stop(); // harmless twice

        QVERIFY(m_wall->start(port));
        QCOMPARE(decoded(exchange(readRequest(0x100000, 2))).payload, QByteArray(2, char(0xFF)));
    }

    void dropEveryNthAndDropNext()
    {
        QSignalSpy dropped(m_wall.get(), &VirtualWall::requestDropped);
        QSignalSpy accepted(m_wall.get(), &VirtualWall::requestAccepted);
        m_wall->setDropEveryNth(3);
        QVector<quint16> answered;
        for (quint16 sequence = 1; sequence <= 6; ++sequence) {
            const QByteArray reply = exchange(writeRequest(0x40 + sequence, "w", true, sequence), 150);
            if (!reply.isEmpty())
                answered.append(decoded(reply).sequence);
        }
        QCOMPARE(answered, (QVector<quint16>{1, 2, 4, 5}));
        // A dropped request is lost before the card sees it.
        QCOMPARE(m_wall->readMemory(0x43, 1), QByteArray(1, '\0'));
        QCOMPARE(m_wall->readMemory(0x44, 1), QByteArray("w"));

        m_wall->setDropEveryNth(0);
        m_wall->dropNext(2);
        QVERIFY(exchange(readRequest(0, 1, 20), 150).isEmpty());
        QVERIFY(exchange(readRequest(0, 1, 21), 150).isEmpty());
        QCOMPARE(decoded(exchange(readRequest(0, 1, 22))).sequence, quint16(22));

        QCOMPARE(m_wall->counters().dropped, quint64(4));
        // The signals arrive on the test's thread, with the decoded request.
        QTRY_COMPARE_WITH_TIMEOUT(dropped.size(), 4, 2000);
        QCOMPARE(accepted.size(), 5);
        QCOMPARE(accepted.at(0).at(0).value<Frame>().payload, QByteArray("w"));
        QTRY_COMPARE_WITH_TIMEOUT(m_wall->counters().answered, quint64(5), 2000);
    }

    void silence()
    {
        m_wall->setSilentAddresses({0x120000});
        QVERIFY(exchange(writeRequest(0x120000, "x", true), 150).isEmpty());
        QVERIFY(!exchange(readRequest(0x120400, 4)).isEmpty()); // other addresses still answer
        QCOMPARE(m_wall->counters().dropped, quint64(1));
    }

    void delay()
    {
        m_wall->setReplyDelay(150);
        QElapsedTimer timer;
        timer.start();
        send(readRequest(0, 1, 1));
        QVERIFY(collect(1, 60).isEmpty()); // not yet
        const QVector<QByteArray> replies = collect(1, 2000);
        QCOMPARE(replies.size(), 1);
        QVERIFY2(timer.elapsed() >= 140, qPrintable(QString::number(timer.elapsed())));

    }

    void duplicate()
    {
        m_wall->setDuplicateReplies(true);
        send(readRequest(0, 1, 9));
        const QVector<QByteArray> replies = collect(3, 300);
        QCOMPARE(replies.size(), 2);
        QCOMPARE(replies.at(0), replies.at(1));
        QTRY_COMPARE_WITH_TIMEOUT(m_wall->counters().answered, quint64(2), 2000);
    }

    void reorder()
    {
        m_wall->setReorderReplies(true);
        send(readRequest(0, 1, 1));
        QVERIFY(collect(1, 100).isEmpty()); // held back
        send(readRequest(0, 1, 2));
        QVector<QByteArray> replies = collect(2, 2000);
        QCOMPARE(replies.size(), 2);
        QCOMPARE(decoded(replies.at(0)).sequence, quint16(2));
        QCOMPARE(decoded(replies.at(1)).sequence, quint16(1));

        // A reply held when reordering is switched off is released, not lost.
        send(readRequest(0, 1, 3));
        QVERIFY(collect(1, 100).isEmpty());
        m_wall->setReorderReplies(false);
        replies = collect(1, 2000);
        QCOMPARE(replies.size(), 1);
        QCOMPARE(decoded(replies.at(0)).sequence, quint16(3));
    }

private:
    QByteArray exchange(const QByteArray &request, int timeoutMs = 2000);
    QVector<QByteArray> collect(int count, int timeoutMs);
    void send(const QByteArray &request);

    std::unique_ptr<VirtualWall> m_wall;
    std::unique_ptr<QUdpSocket> m_client;
};

void TestSimServer::send(const QByteArray &request)
{
    QCOMPARE(m_client->writeDatagram(request, QHostAddress::LocalHost, m_wall->port()),
             qint64(request.size()));
}

QVector<QByteArray> TestSimServer::collect(int count, int timeoutMs)
{
    QVector<QByteArray> replies;
    QElapsedTimer timer;
    timer.start();
    while (replies.size() < count && timer.elapsed() < timeoutMs) {
        if (!m_client->hasPendingDatagrams())
            m_client->waitForReadyRead(int(qMax<qint64>(1, timeoutMs - timer.elapsed())));
        while (m_client->hasPendingDatagrams())
            replies.append(m_client->receiveDatagram(70000).data());
    }
    return replies;
}

QByteArray TestSimServer::exchange(const QByteArray &request, int timeoutMs)
{
    send(request);
    const QVector<QByteArray> replies = collect(1, timeoutMs);
    return replies.value(0);
}

QTEST_GUILESS_MAIN(TestSimServer)

#include "test_sim_server.moc"
