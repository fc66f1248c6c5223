// The sending-card object: reply dispatch (display read-back, size reports,
// receiving-card flash read-back), cabinet list, upgrade files on disk, workers.

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_sendcardpackage.h"
#include "checksums.h"

#include "sendcardtestdata.h"
#include "threadspy.h"

#include <QtTest>

#include <atomic>
#include <functional>

namespace
{
QVariantMap flashInfo(quint32 address, const QString &key, const QByteArray &bytes)
{
    return {{"moduleName", "Module_SendCardFlashInfo"}, {"m_regAddr", address}, {key, bytes}};
}

QVariantMap sizeReport(const QString &boxWH)
{
    return {{"moduleName", "Module_ReceivingSDRAMInfo"},
            {"ltcpAddr_data", 0xA0000000u},
            {"boxWHStr", boxWH}};
}

QVariantMap flashBlock(quint32 address, char fill, int size = 15 + 1024 + 4)
{
    QByteArray inner(15, 'h');
    inner.append(QByteArray(1024, fill)).append("crc!");
    return {{"moduleName", "Module_ReceivingFlashInfo"},
            {"ltcpAddr", address},
            {"recvUpdateData", inner.left(size)}};
}

// The debug lines logged while `run` runs.
QStringList logOf(const std::function<void()> &run)
{
    static QStringList *lines = nullptr;
    QStringList captured;
    lines = &captured;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { lines->append(text); });
    run();
    qInstallMessageHandler(previous);
    return captured;
}

void deliver(BLL_BusinessLogic_SendCardPackage &card, const QVariantMap &reply)
{
    QVERIFY(QMetaObject::invokeMethod(&card, "slot_dealData", Qt::DirectConnection,
                                      Q_ARG(QVariantMap, reply)));
}

// Reads back one port with two cabinets, ending with the last box-position piece.
void readBackOnePort(BLL_BusinessLogic_SendCardPackage &card)
{
    deliver(card, sizeReport(QStringLiteral("0:0:128:64")));
    deliver(card, sizeReport(QStringLiteral("0:1:128:64")));
    deliver(card, flashInfo(0x40000, QStringLiteral("pxImageWindow"), words({0, 0, 8, 100})));
    deliver(card, flashInfo(0x0000, QStringLiteral("pxBoxPos"), words({0, 0, 0, 128})));
    deliver(card, flashInfo(0xFC00, QStringLiteral("pxBoxPos"), QByteArray(1024, '\0')));
}
} // namespace

class TestSendCardObject : public QObject
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void pagesOutOfOrderAndFreshStart()
    {
        BLL_BusinessLogic_SendCardPackage card;
        ThreadSpy boxes(&card, &BLL_BusinessLogic_SendCardPackage::recvAllBox);
        deliver(card, sizeReport(QStringLiteral("1:0:64:32")));
        // A stale window list of an earlier read, replaced at 0x40000.
        deliver(card, flashInfo(0x40000, QStringLiteral("pxImageWindow"), words({0, 0, 9, 9})));
        deliver(card, flashInfo(0x41000, QStringLiteral("pxImageWindow"), words({0, 0, 9, 9})));
        deliver(card, flashInfo(0x40000, QStringLiteral("pxImageWindow"), words({0, 0, 0, 0})));
        deliver(card, flashInfo(0x41000, QStringLiteral("pxImageWindow"), words({0, 0, 4, 2})));
        deliver(card, flashInfo(0x0000, QStringLiteral("pxBoxPos"), QByteArray(4, '\0')));
        // Page 1 continued before it started: dropped, not added to page 0.
        deliver(card, flashInfo(0x1800, QStringLiteral("pxBoxPos"), words({7, 7})));
        deliver(card, flashInfo(0x1000, QStringLiteral("pxBoxPos"), words({1, 1})));
        deliver(card, flashInfo(0xFC00, QStringLiteral("pxBoxPos"), QByteArray()));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.at(0).at(0).toList(), QVariantList{QStringLiteral("1:0:3:5:64:32")});
    }

    void refusedPortTableReadKeepsTheTopology()
    {
        BLL_BusinessLogic_SendCardPackage card;
        const QVariantMap layout{{"basic_info", QVariantMap{{"display_count", 1}}}};
        QVERIFY(card.saveConnectDisplayData(layout));
        ThreadSpy read(&card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        deliver(card, {{"moduleName", "Module_SendCardFlashInfo"},
                       {"m_regAddr", 0x10E000u},
                       {"result", false}});
        QCOMPARE(read.count(), 1);
        QCOMPARE(read.at(0).at(0).toMap().value("result").toBool(), false);
        QVERIFY(read.at(0).at(0).toMap().contains("error"));
        QCOMPARE(card.openConnectDisplayData(false), QVariantList{layout});
    }

    void ignoredRepliesAndEmptyList()
    {
        BLL_BusinessLogic_SendCardPackage card;
        ThreadSpy boxes(&card, &BLL_BusinessLogic_SendCardPackage::recvAllBox);
        ThreadSpy read(&card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        deliver(card, flashInfo(0xA0000000, QStringLiteral("regData"), "x"));
        deliver(card, {{QStringLiteral("moduleName"), QStringLiteral("Module_Other")}});
        deliver(card, sizeReport(QString()));
        card.emitRecvAllBox();
        card.saveRecvAllBox();
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(read.count(), 0);
        QVERIFY(!card.getRecvAllBox());
    }

    void readBackListsSavesAndClearsCabinets()
    {
        ledwall::setApplicationDirectory(m_dir.path());
        BLL_BusinessLogic_SendCardPackage card;
        ThreadSpy size(&card, &BLL_BusinessLogic_SendCardPackage::sig_sndScreenWh);
        ThreadSpy boxes(&card, &BLL_BusinessLogic_SendCardPackage::recvAllBox);
        card.setGetWidthHeightFlag(true);
        readBackOnePort(card); // the list itself is checked end to end at the wall
        QCOMPARE(size.count(), 1);
        QCOMPARE(size.at(0).at(0).toInt(), 228 + 128);
        QCOMPARE(size.at(0).at(1).toInt(), 8 + 64);

        card.saveRecvAllBox();
        QFile saved(m_dir.filePath(QStringLiteral("ConfigData/ConfigurationFile/boxXYWH.txt")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("0:0:100:8:128:64\n0:1:228:8:128:64\n"));

        card.clearBoxXYWHList();
        card.emitRecvAllBox();
        QCOMPARE(boxes.count(), 1); // the read-back's own, none for the cleared list
        ledwall::setApplicationDirectory({});
    }

    void flashReadBackPackagesAndChecks()
    {
        BLL_BusinessLogic_SendCardPackage card;
        ThreadSpy read(&card, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        // 512 KiB: 512 replies of 256 address units each, out of range ignored; a last
        // block cut before its CRC completes nothing.
        deliver(card, flashBlock(0xAF01FF00, 'z', 15 + 1024));
        deliver(card, flashBlock(0xAE000000, 'z'));
        deliver(card, flashBlock(0xAF040000, 'z'));
        for (quint32 unit = 0; unit < 0x20000; unit += 0x100)
            deliver(card, flashBlock(0xAF000000 + unit, char('a' + (unit >> 8) % 26)));
        // A repeated reply overwrites its block instead of shifting the image.
        deliver(card, flashBlock(0xAF000100, 'b'));
        QCOMPARE(read.count(), 1);
        QCOMPARE(read.at(0).at(0).toMap().value(QStringLiteral("addr")).toUInt(), 0xAF01FF00u);

        QByteArray image;
        for (int block = 0; block < 512; ++block)
            image.append(QByteArray(1024, char('a' + block % 26)));
        const QString path = m_dir.filePath(QStringLiteral("fw.bin"));
        const QVariantMap options{
            {"receCardType", 1},
            {"driveType", "A"},
            {"version", "1.a"},
            {"recCardCRC32", ledwall::checksums::crc32(image, image.size(), 0)}};
        QCOMPARE(card.packageReceFileHead(QStringLiteral("file:///") + path.mid(1), options),
                 ReceFileNoError);
        QCOMPARE(QFileInfo(path).size(), qint64(1024 + image.size()));
        QCOMPARE(card.checkReceFileHead(path, {{"cardFlag", 2}, {"receCardType", "NRX-72"}}),
                 ReceFileNoError);
        QCOMPARE(card.getReceFileInfo(path).value("crc32Value"), options.value("recCardCRC32"));
        // Only the URL prefix goes: "%25" is part of the name.
        QCOMPARE(card.packageReceFileHead("file:" + m_dir.filePath("fw%25.bin"), options),
                 ReceFileNoError);
        QVERIFY(QFile::exists(m_dir.filePath("fw%25.bin")));

        // The comparisons are logged only for the keys the map has, the CRC with both
        // values.
        const QString log = logOf([&] {
                                card.checkReceFileHead(path, {{"firmIndex", 1}});
                            }).join('\n');
        QVERIFY(log.contains("firmIndex= 1 1"));
        QVERIFY(!log.contains("cardName="));
        const QString crc = QString::number(options.value("recCardCRC32").toUInt());
        QVERIFY(log.contains("flashCRC= " + crc + " " + crc));
        QVERIFY(
            !logOf([&] { card.checkReceFileHead(path, {}); }).join('\n').contains("firmIndex="));

        card.clearRecvUpdateData();
        QCOMPARE(card.packageReceFileHead(path, options), ReceFileLengthError);
    }

    void filesThatAreNotUpgradeFiles()
    {
        BLL_BusinessLogic_SendCardPackage card;
        const QString missing = m_dir.filePath(QStringLiteral("missing.bin"));
        QCOMPARE(card.checkReceFileHead(missing, {}), ReceFileOpenError);

        // The magic alone, shorter than a header: never read past its end.
        const QString shortFile = m_dir.filePath(QStringLiteral("short.bin"));
        QFile file(shortFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ledwall::upgrade::magic() + QByteArray(40, '\0'));
        file.close();
        QCOMPARE(card.checkReceFileHead(shortFile, {}), ReceFileLengthError);
        QCOMPARE(card.getReceFileInfo(shortFile).value(QStringLiteral("firmIndex")).toInt(), -1);
        QCOMPARE(BLL_BusinessLogic_Desktop::instance()->updataFileFLS_MSB(shortFile), 0);

        // The flash-size field, read through the facade from a header without the magic.
        QByteArray header(1024, '\0');
        header[0x5D] = char(0xE1); // bits 21-23 set: 7
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(header);
        file.close();
        QCOMPARE(BLL_BusinessLogic_Desktop::instance()->updataFileFLS_MSB(
                     QStringLiteral("file:///") + shortFile.mid(1)),
                 7);
    }

    void hugeFilesAreRecognisedByTheirHead()
    {
        // 3 GiB, sparse: only the first bytes may be read (Qt 5 reads such a file
        // whole as empty).
        const QString path = m_dir.filePath(QStringLiteral("huge.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ledwall::upgrade::mcuMagic());
        QVERIFY(file.resize(qint64(3) << 30));
        file.close();
        BLL_BusinessLogic_SendCardPackage card;
        QCOMPARE(card.getReceFile_MCUInfo(path).value(QStringLiteral("isMCUFile")).toBool(), true);
        QVERIFY(!card.isReceFile(path));
        QCOMPARE(card.checkReceFileHead(path, {}), ReceFileOpenError); // too large to check
    }

    void workersAreJoinedOnDestruction()
    {
        std::atomic<int> finished{0};
        {
            WorkerThreads workers;
            for (int i = 0; i < 3; ++i)
                QVERIFY(workers.start([&finished] {
                    QThread::msleep(30);
                    ++finished;
                }));
        }
        QCOMPARE(finished.load(), 3);

        WorkerThreads workers;
        QVERIFY(workers.start([] {}));
        QTRY_COMPARE(workers.runningCount(), 0);
        workers.joinAll();
        QVERIFY(!workers.start([] {})); // closed once joined

        // The object's own operations return at once and are joined with it.
        auto card = std::make_unique<BLL_BusinessLogic_SendCardPackage>();
        QByteArray data("point data");
        card->startSendPointAdjustThread(data, {});
        card->operationAdjustDB({});
        card.reset();
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSendCardObject)
#include "test_sendcard_object.moc"
