// Soak under wire faults: the library drives the virtual wall through a fixed
// number of operations while the wall loses, repeats, reorders and delays frames.
// Whatever the library reports as done must be in the wall's memory byte for byte;
// failures it reports are counted (and the operation run again, as a user would),
// a write reported as done that the wall does not hold fails the test.
//
// LEDWALL_SOAK_OPERATIONS (default 40) and LEDWALL_SOAK_SEED (default 1) set the run.

#include "bll_businesslogic_desktop.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "displayrecord.h"
#include "displaytext.h"
#include "virtualwall.h"
#include "wallsession.h"

#include "threadspy.h"
#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <functional>
#include <random>
#include <thread>

namespace
{

constexpr int WaitMs = 15000;  // a write's report, the link's queue draining
constexpr int AnswerMs = 3000; // a read's report: its requests time out after 500 ms
constexpr int MaxRetries = 2;  // runs of a failed operation after the first
constexpr quint32 DisplayRecord = 0x120000, PortTable = 0x10E000, LastRecordBlock = 0x12EC00;
constexpr quint32 FirmwareImage = 0xAF000000, Calibration = 0xA0030000;

int environment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// Done: reported done and found in the wall. Failed / NoAnswer: reported failed, or
// no report at all in time. Lost: reported done, but the wall does not hold it.
enum class Outcome { Done, Failed, NoAnswer, Lost };

struct KindTally {
    int runs = 0, done = 0, failed = 0, noAnswer = 0, lost = 0;
};

} // namespace

class TestSoakWall : public QObject, private WallFixture
{
    Q_OBJECT

private:
    std::mt19937 m_random;
    QVariantMap m_flashLayout;    // the layout the wall's flash holds, when known
    QStringList m_portTableCells; // the topology the port table gives, read fault-free
    QVector<QPair<quint32, QByteArray>> m_windowPages; // the window writes, made fault-free
    qint64 m_bytesVerified = 0;

    int pick(int from, int to) { return from + int(m_random() % quint32(to - from + 1)); }
    QByteArray randomBytes(int size)
    {
        QByteArray bytes(size, '\0');
        for (char &byte : bytes)
            byte = char(m_random());
        return bytes;
    }

    // The first report that `wanted` accepts, waiting up to `ms`; empty if none came.
    QVariantMap waitForReport(ThreadSpy &spy,
                              const std::function<bool(const QVariantMap &)> &wanted, int ms)
    {
        QVariantMap found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QList<QVariant> &args : qAsConst(spy))
                    if (wanted(args.at(0).toMap()))
                        found = args.at(0).toMap();
                return !found.isEmpty();
            },
            ms);
        return found;
    }

    // The library's verdict in the report that carries `key` (true: Done).
    Outcome verdict(ThreadSpy &spy, const char *key)
    {
        const QVariantMap report = waitForReport(
            spy, [key](const QVariantMap &m) { return m.contains(key); }, WaitMs);
        if (report.isEmpty())
            return Outcome::NoAnswer;
        return report.value(key).toBool() ? Outcome::Done : Outcome::Failed;
    }

    // Frames of an earlier operation must not land during the next one.
    void settle()
    {
        auto *link = BLL_CommunicationMain_Desktop::getInstance();
        (void)QTest::qWaitFor([&] { return link->getCmdQueueCount(m_guid) == 0; }, WaitMs);
    }

    Outcome compare(const QByteArray &held, const QByteArray &sent)
    {
        if (held != sent)
            return Outcome::Lost;
        m_bytesVerified += sent.size();
        return Outcome::Done;
    }

    // -- the operations ------------------------------------------------------------------

    Outcome writeLayout()
    {
        QVariantList items;
        const int cells = pick(4, 40);
        for (int i = 0; i < cells; ++i)
            items << ledwall::displaytext::connectItemForCell(i % 4, i % 8, i / 8, 128, 128, i / 4);
        const QVariantMap layout{
            {"basicInfo", QVariantMap{{"enable_as_master_card", 0},
                                      {"display_count", 1},
                                      {"enable_port_auto_bakup", 0},
                                      {"FreeLine", pick(0, 4)}}},
            {"displayArr", QVariantList{QVariantMap{{"display_idx", 0},
                                                    {"row_count", (cells + 7) / 8},
                                                    {"col_count", 8},
                                                    {"x_offset", 0},
                                                    {"y_offset", 0},
                                                    {"display_name", QString::number(m_random())},
                                                    {"itemArr", items}}}}};
        if (!m_card.saveConnectDisplayData(layout) || !convertDisplayData(m_card, 1))
            return Outcome::Failed;
        QByteArray record;
        if (ledwall::displayrecord::pack(ledwall::displaytext::connectMapToText(layout).toLatin1(),
                                         ledwall::displayrecord::ConnectMaxCompressed,
                                         &record) != ledwall::displayrecord::PackResult::Ok)
            return Outcome::Failed;
        ThreadSpy report(&m_card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        m_flashLayout.clear(); // from here on the flash may hold a mix
        if (!m_card.sendConnectDisplayDataToDevice({}))
            return Outcome::Failed;
        if (const Outcome written = verdict(report, "displayRecordWritten");
            written != Outcome::Done)
            return written;
        const Outcome outcome = compare(m_wall.readMemory(DisplayRecord, record.size()), record);
        if (outcome == Outcome::Done)
            m_flashLayout = layout;
        return outcome;
    }

    Outcome readLayout()
    {
        ThreadSpy report(&m_card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        m_card.readConnectDisplayDataToDevice({});
        const QVariantMap result = waitForReport(
            report,
            [](const QVariantMap &m) {
                return m.value("addr").toUInt() == LastRecordBlock ||
                       m.contains("displayRecordRead");
            },
            WaitMs);
        if (result.isEmpty())
            return Outcome::NoAnswer;
        if (!result.contains("addr"))
            return Outcome::Failed;
        if (!m_card.parseConnectDisplayDataFromDevice(false) || !convertDisplayData(m_card, 2))
            return Outcome::Failed;
        if (m_flashLayout.isEmpty())
            return Outcome::Done; // a failed write left the flash unknown; it decoded
        return m_card.openConnectDisplayData(false) == QVariantList{m_flashLayout} ? Outcome::Done
                                                                                   : Outcome::Lost;
    }

    // The port table's report (empty when none came) and the topology rebuilt from
    // it, as "port.card" per cell.
    QVariantMap readPortTable(int ms, QStringList *cells)
    {
        ThreadSpy report(&m_card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        m_card.readHardwareConnectDisplayDataToDevice({{"EthNum", 2}});
        const QVariantMap result = waitForReport(
            report, [](const QVariantMap &m) { return m.value("addr").toUInt() == PortTable; }, ms);
        *cells = cabinetCells(firstConnectDisplay(m_card));
        return result;
    }

    Outcome portTable()
    {
        QStringList cells;
        const QVariantMap report = readPortTable(AnswerMs, &cells);
        if (report.isEmpty())
            return Outcome::NoAnswer;
        if (report.contains("error"))
            return Outcome::Failed;
        return cells == m_portTableCells ? Outcome::Done : Outcome::Lost;
    }

    // A cabinet of the wall, chosen at random.
    QPair<int, int> anyCabinet()
    {
        const QVector<ledwall::sim::WallPort> ports = m_wall.wall().ports;
        const ledwall::sim::WallPort &port = ports.at(pick(0, ports.size() - 1));
        return {port.port, port.cabinets.at(pick(0, port.cabinets.size() - 1)).card};
    }

    Outcome firmware()
    {
        const auto [port, card] = anyCabinet();
        const QByteArray image = randomBytes(256 * pick(1, 16));
        const quint32 address = FirmwareImage + quint32(pick(0, 192)) * 64;
        FlashAccessDescriptor d;
        d.commandWord = 0x008000A1; // through the sending card to its receiving cards
        d.startAddress = quint32(0x10 | port) << 16;
        d.recvCommand = 0x01;
        d.recvWord1 = d.recvWord2 = quint16(card);
        d.recvAddress = address;
        m_card.setFlashAccessDescriptor(d);
        // Every frame asks for its acknowledgement; the acknowledgements reach the
        // object through this thread's event loop, so the write runs beside it.
        std::atomic<bool> finished{false};
        quint32 last = 0;
        std::thread writer([&] {
            last = m_card.writeRecvCardInfo(m_guid, image, 256, 501, false);
            finished = true;
        });
        (void)QTest::qWaitFor([&] { return finished.load(); }, 60000);
        writer.join();
        if (last == 0 || m_card.unacknowledgedFrames() > 0)
            return Outcome::Failed;
        return compare(m_wall.readReceivingCard(port, card, address, image.size()), image);
    }

    Outcome calibration()
    {
        const auto [port, card] = anyCabinet();
        QByteArray block = randomBytes(16 * pick(4, 128));
        ThreadSpy report(&m_card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        m_card.startSendPointAdjustThread(
            block,
            {{"sendBoxMap", QVariantMap{{QStringLiteral("%1,%2").arg(port).arg(card), true}}}});
        // The blocks handed over ("result"), then the cards' acknowledgements.
        if (const Outcome sent = verdict(report, "result"); sent != Outcome::Done)
            return sent;
        if (const Outcome written = verdict(report, "calibrationWritten"); written != Outcome::Done)
            return written;
        return compare(m_wall.readReceivingCard(port, card, Calibration, block.size()), block);
    }

    QVariantMap windowLayout()
    {
        // Each port a row of its cabinets.
        QVariantList items;
        int y = 0;
        for (const ledwall::sim::WallPort &port : m_wall.wall().ports) {
            int x = port.port * 32;
            for (const ledwall::sim::WallCabinet &c : port.cabinets) {
                items << QVariantMap{
                    {"sender_port", port.port}, {"sender_addr", c.card},  {"x", x},   {"y", y},
                    {"vcs_width", c.width},     {"vcs_height", c.height}, {"init", 1}};
                x += c.width;
            }
            y += port.cabinets.first().height;
        }
        return {{"displayArr", QVariantList{QVariantMap{{"itemArr", items}}}}};
    }

    // Runs the window computation, the pages it wrote before blanked first.
    bool writeWindows()
    {
        for (const auto &page : qAsConst(m_windowPages))
            m_wall.writeMemory(page.first, QByteArray(page.second.size(), '\0'));
        return m_card.saveConnectDisplayData(windowLayout()) &&
               m_facade
                   ->setAllMultiWindow({{"scType", "4k"}, {"isSend", true}, {"dviWorkMode", 10}})
                   .value("result")
                   .toBool();
    }

    Outcome windows()
    {
        ThreadSpy report(&m_card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        if (!writeWindows())
            return Outcome::Failed;
        if (const Outcome written = verdict(report, "windowsWritten"); written != Outcome::Done)
            return written;
        for (const auto &page : qAsConst(m_windowPages))
            if (compare(m_wall.readMemory(page.first, page.second.size()), page.second) ==
                Outcome::Lost)
                return Outcome::Lost;
        return Outcome::Done;
    }

    struct Operation {
        const char *name;
        Outcome (TestSoakWall::*run)();
    };
    const QVector<Operation> m_operations{
        {"layout write", &TestSoakWall::writeLayout}, {"layout read", &TestSoakWall::readLayout},
        {"port table", &TestSoakWall::portTable},     {"firmware", &TestSoakWall::firmware},
        {"calibration", &TestSoakWall::calibration},  {"window pages", &TestSoakWall::windows}};

private slots:
    void initTestCase()
    {
        QString why;
        m_guid = startWallSession(m_wall, TwoPortWallJson, QStringLiteral("soak"), &why);
        QVERIFY2(!m_guid.isEmpty(), qPrintable(why));
        m_card.setBlockPacing([](int ms) {
            if (ms == 1) // the acknowledgement poll; the flash pacing is not the wall's concern
                QThread::msleep(1);
        });
        // What fault-free operations give: the port table's topology and the window pages.
        const QVariantMap table = readPortTable(WaitMs, &m_portTableCells);
        QVERIFY(!table.isEmpty() && !table.contains("error"));
        QVERIFY(!m_portTableCells.isEmpty());
        QVERIFY(writeWindows());
        settle();
        for (const ledwall::sim::WallPort &port : m_wall.wall().ports)
            for (quint32 base : {0x40000u, 0x0u})
                m_windowPages.append({base + quint32(port.port) * 0x1000,
                                      m_wall.readMemory(base + quint32(port.port) * 0x1000, 1024)});
        m_windowPages.append({0x12FFD0, m_wall.readMemory(0x12FFD0, 7)});
        QVERIFY(m_windowPages.last().second != QByteArray(7, '\xFF')); // the summary came
    }

    void cleanupTestCase() { stopWallSession(m_wall, m_guid); }

    void everyReportedWriteIsInTheWall()
    {
        const int operations = environment("LEDWALL_SOAK_OPERATIONS", 40);
        const quint32 seed = quint32(environment("LEDWALL_SOAK_SEED", 1));
        ledwall::sim::RandomFaults faults;
        faults.seed = seed;
        faults.dropPercent = 5;
        faults.duplicatePercent = 2;
        faults.reorderPercent = 1;
        faults.delayPercent = 10;
        faults.maxDelay = 50;
        m_random.seed(seed);
        auto *link = BLL_CommunicationMain_Desktop::getInstance();
        const QVariantMap linkBefore = link->linkStatistics(m_guid);
        m_wall.setRandomFaults(faults);
        QElapsedTimer timer;
        timer.start();

        QVector<KindTally> kinds(m_operations.size());
        int retries = 0;
        for (int i = 0; i < operations; ++i) {
            if (i > 0 && i % 250 == 0)
                qInfo("soak: %d of %d operations, %.0f s", i, operations, timer.elapsed() / 1000.0);
            const int kind = pick(0, m_operations.size() - 1);
            for (int run = 0; run <= MaxRetries; ++run) {
                settle();
                const Outcome outcome = (this->*m_operations.at(kind).run)();
                KindTally &tally = kinds[kind];
                ++tally.runs;
                retries += run > 0;
                tally.done += outcome == Outcome::Done;
                tally.failed += outcome == Outcome::Failed;
                tally.noAnswer += outcome == Outcome::NoAnswer;
                tally.lost += outcome == Outcome::Lost;
                if (outcome == Outcome::Lost)
                    qWarning("operation %d (%s): reported done, but the wall does not hold it", i,
                             m_operations.at(kind).name);
                if (outcome == Outcome::Done || outcome == Outcome::Lost)
                    break;
            }
        }
        m_wall.clearFaults();
        settle();

        KindTally all;
        for (int k = 0; k < kinds.size(); ++k) {
            const KindTally &t = kinds.at(k);
            qInfo("soak %-13s runs %4d  done %4d  failed %4d  no answer %4d  lost %d",
                  m_operations.at(k).name, t.runs, t.done, t.failed, t.noAnswer, t.lost);
            all.runs += t.runs, all.done += t.done, all.failed += t.failed;
            all.noAnswer += t.noAnswer, all.lost += t.lost;
        }
        const QVariantMap linkAfter = link->linkStatistics(m_guid);
        auto linkCount = [&](const char *key) {
            return linkAfter.value(key).toLongLong() - linkBefore.value(key).toLongLong();
        };
        const ledwall::sim::FaultTally wire = m_wall.faultTally();
        qInfo("soak seed %u: operations %d, retries %d, failures reported %d, no answer %d, "
              "lost silently %d, bytes verified %lld, %.1f s",
              seed, operations, retries, all.failed, all.noAnswer, all.lost, m_bytesVerified,
              timer.elapsed() / 1000.0);
        qInfo("soak link: sent %lld, time-outs %lld, late or repeated replies %lld; wall: dropped "
              "%llu, duplicated %llu, reordered %llu, delayed %llu",
              linkCount("sent"), linkCount("timeouts"), linkCount("late"), wire.dropped,
              wire.duplicated, wire.reordered, wire.delayed);
        QCOMPARE(all.lost, 0);
        QVERIFY(all.done > 0);
    }
};

QTEST_MAIN(TestSoakWall)
#include "test_soak_wall.moc"
