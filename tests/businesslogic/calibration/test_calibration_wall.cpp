// Calibration files end to end: packed by the sending-card object, written through
// the link manager into the virtual wall's receiving cards, and compared with the
// packed words cut per cabinet. Also the file tests of the calibration path and
// the calibration file index.

#include "bll_businesslogic_sendcardpackage.h"
#include "bll_communicationmain_desktop.h"
#include "bll_datacenter_desktop.h"
#include "calibrationpacking.h"
#include "threadspy.h"
#include "virtualwall.h"

#include <QtTest>

using namespace ledwall::sim;
using namespace ledwall::calibration;

namespace
{

// Cabinets of a 16 x 8 display: two on port 0 side by side, one on port 1 below.
const QVariantList Boxes = {QStringLiteral("0:0:0:0:8:4"), QStringLiteral("0:1:8:0:8:4"),
                            QStringLiteral("1:0:0:4:16:4")};
constexpr int Width = 16, Height = 8;

QByteArray calibrationText(bool matrix)
{
    QByteArray text = "16,8\n";
    for (int y = 1; y <= Height; ++y) {
        for (int x = 1; x <= Width; ++x) {
            text += QByteArray::number(x) + ',' + QByteArray::number(y);
            for (int i = 0; i < (matrix ? 9 : 3); ++i)
                text +=
                    ',' + QByteArray::number((x * 7 + y * 13 + i * 5) % 100 / 97.0 - 0.3, 'f', 4);
            text += "\r\n";
        }
    }
    return text;
}

} // namespace

class TestCalibrationWall : public QObject
{
    Q_OBJECT

private:
    VirtualWall wall;
    QString guid;
    QTemporaryDir dir;
    BLL_BusinessLogic_SendCardPackage package;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }

    // The last-address report of a transfer started by `start`.
    template <typename Start> QVariantMap transfer(Start start)
    {
        ThreadSpy spy(&package, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        start();
        QVariantMap last;
        (void)QTest::qWaitFor(
            [&] {
                for (const QList<QVariant> &args : qAsConst(spy))
                    if (args.at(0).toMap().contains(QStringLiteral("last_m_regAddr")))
                        last = args.at(0).toMap();
                return !last.isEmpty();
            },
            10000);
        return last;
    }

    // Every cabinet's memory at `address` holds its cut of the display packing.
    void verifyCabinets(const QByteArray &text, uint layout, quint32 address)
    {
        DisplayPacker display(Width, Height, layout);
        readCalibrationText(text, display);
        for (const QVariant &box : Boxes) {
            ledwall::storedimage::Cabinet c;
            QVERIFY(ledwall::storedimage::parseCabinet(box.toString(), &c));
            const QByteArray expected =
                cutCabinet(display.data(), Width, bytesPerPixel(layout), c.rect);
            QVERIFY(!expected.isEmpty());
            QTRY_COMPARE(wall.readReceivingCard(c.port, c.card, address, expected.size()),
                         expected);
        }
    }

    QVariantMap indexRequest(const QVariantMap &map)
    {
        ThreadSpy spy(&package, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        package.operationAdjustDB(map);
        // The worker may answer before the wait begins.
        return spy.count() > 0 || spy.wait(5000) ? spy.at(0).at(0).toMap() : QVariantMap();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        WallDescription description;
        description.ports = {WallPort{0, {WallCabinet{0, 8, 4}, WallCabinet{1, 8, 4}}, {}},
                             WallPort{1, {WallCabinet{0, 16, 4}}, {}}};
        wall.setWall(description);
        QVERIFY(wall.start());
        auto *link = BLL_CommunicationMain_Desktop::getInstance();
        guid = link->createCommunicateObject(NetworkLink, DefaultProtocol);
        QVERIFY(link->connectServer(guid, QStringLiteral("127.0.0.1"), wall.port()));
        BLL_DataCenter_Desktop::instance()->setCurrentGuid(guid);
    }

    void cleanupTestCase()
    {
        BLL_CommunicationMain_Desktop::getInstance()->releaseCommunicateObject(guid);
        wall.stop();
    }

    void fileTests()
    {
        const QString empty = writeFile(QStringLiteral("empty.txt"), {});
        QVERIFY(!package.checkAdjustFile(QStringLiteral("file:///") + empty.mid(1)));
        QVERIFY(package.checkAdjustFile(dir.filePath(QStringLiteral("missing.txt"))));
        package.setAdjustFile(writeFile(QStringLiteral("plain.txt"), "12,7,0.98,1.01,0.97\n"));
        QVERIFY(!package.judgeEncrypt());
        package.setAdjustFile(writeFile(QStringLiteral("single.txt"), "12\n"));
        QVERIFY(package.judgeEncrypt());

        // A 4 GiB hole reads as one runaway line: refused after a bounded read.
        QFile sparse(dir.filePath(QStringLiteral("sparse.txt")));
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(4) << 30));
        package.setAdjustFile(sparse.fileName());
        package.setAdjustParaMap({{QStringLiteral("adjen_type"), 0}});
        QElapsedTimer timer;
        timer.start();
        QVERIFY(package.getDisplayAdjustDataByteArr(1920, 1080).isEmpty());
        QVERIFY(timer.elapsed() < 5000);
    }

    void matrixFileToTheAlternativeArea()
    {
        const QByteArray text = calibrationText(true);
        package.setAdjustParaMap(
            {{QStringLiteral("adjen_type"), 7},
             {QStringLiteral("sendBoxMap"), QVariantMap{{QStringLiteral("255,65535"), true}}}});
        package.setBoxXYWHList(Boxes);
        const QVariantMap last = transfer([&] {
            package.setAdjustPath(writeFile(QStringLiteral("matrix.txt"), text),
                                  {{QStringLiteral("isNormalAdjustMode"), false},
                                   {QStringLiteral("bFastMode"), true}});
        });
        QCOMPARE(last.value(QStringLiteral("last_m_regAddr")).toUInt(), 0x110000u);
        QCOMPARE(last.value(QStringLiteral("result")).toBool(), true);
        verifyCabinets(text, Matrix, 0xA00F0000);
        QCOMPARE(package.adjustCompanionData().size(), Width * Height * 12);
    }

    void threePiecesGiveTheSameMemory()
    {
        const QByteArray text = calibrationText(false);
        package.setAdjustParaMap(
            {{QStringLiteral("sendBoxMap"), QVariantMap{{QStringLiteral("255,65535"), true}}}});
        package.setBoxXYWHList(Boxes);
        package.resetFilePos(0);
        const QList<QByteArray> lines = text.split('\n');
        const int third = lines.size() / 3;
        for (int piece = 0; piece < 3; ++piece) {
            const QByteArray data =
                lines.mid(piece * third, piece == 2 ? -1 : third).join('\n') + '\n';
            const QVariantMap last = transfer([&] {
                package.sendAdjustDataWithReceive(
                    {{QStringLiteral("adjen_type"), 0}, {QStringLiteral("data"), data}});
            });
            QVERIFY(last.value(QStringLiteral("result")).toBool());
        }
        verifyCabinets(text, ThreeCoefficients, 0xA0030000);
    }

    void classicPassWritesEachCabinetItsPixels()
    {
        const QByteArray text = calibrationText(false).mid(5); // no header here
        package.setAdjustParaMap({{QStringLiteral("adjen_type"), 0}});
        package.setBoxXYWHList(Boxes);
        package.setAdjustFile(writeFile(QStringLiteral("classic.txt"), text));
        QVERIFY(package.getAdjustData());
        CabinetPacker packer({{1, 0, QRect(0, 4, 16, 4)}}, ThreeCoefficients);
        readCalibrationText(text, packer);
        QTRY_COMPARE(wall.readReceivingCard(1, 0, 0xA0030000, packer.data[0].size()),
                     packer.data[0]);
    }

    void topologyModuleRowsLandInTheirRows()
    {
        // The file in the cabinet's own frame; the module takes its rows from the start.
        const QByteArray text = calibrationText(false);
        package.setAdjustParaMap({{"adjen_type", 0}});
        package.setAdjustFile(writeFile(QStringLiteral("module.txt"), text));
        DisplayPacker display(16, 4, ThreeCoefficients);
        readCalibrationText(text, display);
        const QVariantMap last = transfer([&] {
            package.sendTopologyAdjustData({{"Port", 1},
                                            {"addr", 0},
                                            {"vcs_width", 16},
                                            {"vcs_height", 4},
                                            {"module_x", 4},
                                            {"module_y", 1},
                                            {"module_width", 8},
                                            {"module_height", 2}});
        });
        QVERIFY(last.value(QStringLiteral("result")).toBool());
        QTRY_COMPARE(wall.readReceivingCard(1, 0, 0xA0030000 + 20, 32), display.data().mid(0, 32));
        QTRY_COMPARE(wall.readReceivingCard(1, 0, 0xA0030000 + 36, 32), display.data().mid(32, 32));
    }

    void pointDataWithoutSelectionIsBroadcast()
    {
        QByteArray block(64, '\x5A');
        const QVariantMap last = transfer([&] { package.startSendPointAdjustThread(block, {}); });
        QCOMPARE(last.value(QStringLiteral("last_m_regAddr")).toUInt(), 0xFF0000u);
        QCOMPARE(last.value(QStringLiteral("last_ltcpAddr_dst")).toUInt(), 0xFFFFu);
        QTRY_COMPARE(wall.readReceivingCard(1, 0, 0xA0030000, 64), block);
        QTRY_COMPARE(wall.readReceivingCard(0, 1, 0xA0030000, 64), block);
    }

    void indexRequestsInOrder()
    {
        package.setAdjustDatabasePath(dir.filePath("adjustDB.db"));
        const QVariantMap emptyList{
            {"operate", "Selete"}, {"result", ""}, {"data", QVariantList()}};
        QCOMPARE(indexRequest({{"operate", "Selete"}}), emptyList);
        // Quotes are data, not SQL.
        QCOMPARE(
            indexRequest({{"operate", "Insert"}, {"guid", "a'b"}, {"filePath", "/c/it's.txt"}}),
            (QVariantMap{{"operate", "Insert"}, {"result", ""}}));
        const QVariantList rows = indexRequest({{"operate", "Selete"}}).value("data").toList();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).toMap().value("guid").toString(), QString("a'b"));
        QCOMPARE(rows.at(0).toMap().value("filePath").toString(), QString("/c/it's.txt"));
        const QVariant id = rows.at(0).toMap().value("id");

        QCOMPARE(indexRequest({{"operate", "Update"}, {"id", id}, {"guid", "g"}}).value("result"),
                 QVariant("No guid"));
        QCOMPARE(indexRequest({{"operate", "Delete"}}).value("result"), QVariant("No id"));
        QCOMPARE(indexRequest({{"operate", "Select"}}), (QVariantMap{{"operate", "Select"}}));
        QCOMPARE(indexRequest({{"operate", "Update"}, {"id", id}, {"guid", "g"}, {"filePath", "p"}})
                     .value("result"),
                 QVariant(""));
        QCOMPARE(indexRequest({{"operate", "Selete"}})
                     .value("data")
                     .toList()
                     .value(0)
                     .toMap()
                     .value("filePath"),
                 QVariant("p"));
        QCOMPARE(indexRequest({{"operate", "Delete"}, {"id", id}}).value("result"), QVariant(""));
        QCOMPARE(indexRequest({{"operate", "Selete"}}), emptyList);

        package.setAdjustDatabasePath(dir.filePath("missing/dir/adjustDB.db"));
        QCOMPARE(indexRequest({{"operate", "Selete"}}).value("result"),
                 QVariant("The database is not open"));
    }
};

QTEST_MAIN(TestCalibrationWall)
#include "test_calibration_wall.moc"
