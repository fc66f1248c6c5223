// The facade's file and settings operations.

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "bll_datacenter_desktop.h"
#include "filepaths.h"
#include "threadspy.h"

#include <QDir>
#include <QImage>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <mutex>

using namespace ledwall;

namespace
{

// Every log line of the process, so that a test can see which operation ran.
std::mutex logMutex;
QStringList logLines;

void captureMessage(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    std::lock_guard<std::mutex> locker(logMutex);
    logLines.append(QLatin1String(context.category) + QLatin1String(": ") + message);
}

QStringList takeLog()
{
    std::lock_guard<std::mutex> locker(logMutex);
    QStringList lines;
    lines.swap(logLines);
    return lines;
}

bool logHas(const QStringList &lines, const QString &text)
{
    return !lines.filter(text).isEmpty();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

BLL_BusinessLogic_Desktop &facade()
{
    return *BLL_BusinessLogic_Desktop::instance();
}

} // namespace

class TestFacadeFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ledwall.*.debug=true"));
        qInstallMessageHandler(captureMessage);
    }
    void cleanupTestCase() { qInstallMessageHandler(nullptr); }
    void init() { takeLog(); }

    // Saves and opens reach the data center's file objects with the normalised path
    // and come back whole.
    void dispatchRoundTrips()
    {
        QTemporaryDir dir;
        const QString url = "file://" + dir.path(); // file:///tmp/...
        auto request = [](bool isSave, const QString &path, QVariantMap extra = {}) {
            extra.insert({{"isSave", isSave}, {"filePath", path}});
            return extra;
        };
        ThreadSpy saved(&BLL_DataCenter_Desktop::instance()->displayBoxFile(),
                        &BLL_DataCenter_DisplayBoxFile::sig_saveDisplayFile);
        const QVariantMap display{{"displayBoxDataMap", QVariantMap{{"w", 7}}}};
        QVERIFY(facade()
                    .saveOrOpenDisplayBoxFile(request(true, url + "/a%25b.drc", display))
                    .isEmpty());
        QVERIFY(QFile::exists(dir.path() + "/a%b.drc"));
        QCOMPARE(saved.count(), 1);
        const QVariantList opened =
            facade().saveOrOpenDisplayBoxFile(request(false, url + "/a%25b.drc"));
        QCOMPARE(opened.value(0).toMap().value("w").toInt(), 7);

        // x.gamdat is saved as a .gam file would be, and opened as a .gamdat.
        const QVariantMap table{{"gammaTable", QVariantList{0, 40, 4095}}};
        QVERIFY(facade().saveOrOpenGammaFile(request(true, url + "/x.gamdat", table)).isEmpty());
        const QVariantList points = facade().saveOrOpenGammaFile(request(false, url + "/x.gamdat"));
        QCOMPARE(points.size(), 3);
        QCOMPARE(points.last().toMap().value("y").toInt(), 4095);

        using F = BLL_BusinessLogic_Desktop;
        auto reopen = [&](auto operation, const QString &path, const QVariantMap &data) {
            (facade().*operation)(request(true, path, data));
            return QVariant((facade().*operation)(request(false, path)));
        };
        const QVariantMap user{{"user", "ops"}}, k{{"k", 1}};
        QCOMPARE(reopen(&F::saveOrOpenEncryptFile, url + "/s.ini", user).toList().value(0), user);
        const QVariantMap cameras{{"camera1", "127.0.0.1"}};
        QCOMPARE(reopen(&F::ETHFileOperation, url + "/c", {{"cameraIpDataMap", cameras}}).toMap(),
                 cameras);

        // The gamut files take the path as given.
        facade().saveOrOpenGamutConfigFile(request(false, dir.path() + "/g%25.xml"));
        QVERIFY(logHas(takeLog(), "-> \"openGamutXMLFile\" \"" + dir.path() + "/g%25.xml\""));
        QCOMPARE(reopen(&F::saveOrOpenGamutCfgFile, dir.path() + "/c.xml", k).toMap(), k);
    }

    void jsonFailures()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath("missing.json");
        QVERIFY(!facade().getJsonData(missing).isValid());

        writeFile(dir.filePath("empty.json"), "");
        writeFile(dir.filePath("cut.json"), "{\"a\": [1, 2");
        for (const char *name : {"empty.json", "cut.json"}) {
            QVERIFY(!facade().getJsonData(dir.filePath(name)).isValid());
            QVERIFY(facade().getDisPlayDataJson(dir.filePath(name)).isEmpty());
        }
        QVERIFY(facade().getAkeyScreenStr(missing).isEmpty());

        // A file that cannot be written is not created, and the old one stays whole.
        facade().saveJsonData({{"a", 1}}, dir.filePath("no/such/dir.json"));
        QVERIFY(!QFile::exists(dir.filePath("no/such/dir.json")));
    }

    void jsonRoundTrips()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("screen.json");
        writeFile(path, "old content that is longer than the new one, to be replaced");
        const QVariantMap map{{"name", QString::fromUtf8("Bühne")},
                              {"list", QVariantList{1, "two"}},
                              {"inner", QVariantMap{{"x", 3}}}};
        QVERIFY(facade().setAkeyScreenJson(path, map) >= 0);
        QCOMPARE(facade().getDisPlayDataJson(path), map);
        QCOMPARE(facade().getAkeyScreenJson(path).toMap(), map);

        // Settings files live below the application directory.
        setApplicationDirectory(dir.path());
        facade().setFanCrtlJson({{"fan", 2}});
        QCOMPARE(facade().getFanCrtlJson().toMap().value("fan").toInt(), 2);
        QVERIFY(QFile::exists(dir.filePath("ConfigData/ConfigurationFile/FanCrtl.json")));
        setApplicationDirectory(QString());
    }

    void directories()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("sub"));
        writeFile(dir.filePath("a.txt"), "hello");
        writeFile(dir.filePath("sub/b.txt"), "b");
        // A link back up the tree must not make the walk endless.
        QVERIFY(QFile::link(dir.path(), dir.filePath("sub/up")));

        QVariantList entries;
        facade().getFileDir(dir.path(), entries);
        const QDir root(dir.path());
        const QString sub = root.absoluteFilePath("sub") + "?dir";
        const QStringList list = QVariant(entries).toStringList();
        QCOMPARE(list.size(), 4); // the link is listed, not followed
        const int subIndex = list.indexOf(sub);
        QVERIFY(subIndex >= 0 && subIndex + 2 < list.size());
        QVERIFY(list.mid(subIndex + 1, 2).contains(root.absoluteFilePath("sub/up") + "?dir"));

        QVERIFY(QFile::remove(dir.filePath("sub/up")));
        facade().clearDir(dir.path());
        QVERIFY(!QFile::exists(dir.filePath("a.txt")));
        QVERIFY(QFile::exists(dir.filePath("sub/b.txt"))); // subfolders stay
    }

    // y = (x / (2^inGray - 1))^gam * maxValue, rounded; mode 1 never lets the curve
    // fall below the ramp 2^(16 - outGray) * x.
    void gammaCurves_data()
    {
        QTest::addColumn<QVariantList>("depths"); // inGray, outGray, maxValue, gam, mode
        QTest::addColumn<QVector<int>>("levels");
        QTest::newRow("linear") << QVariantList{2, 16, 255, 1.0, 0}
                                << QVector<int>{0, 85, 170, 255};
        // One input level: a single point, not a division by zero.
        QTest::newRow("one level") << QVariantList{0, 8, 255, 2.2, 0} << QVector<int>{0};
        QTest::newRow("mode 1, 16 bits")
            << QVariantList{2, 16, 255, 2.2, 1} << QVector<int>{0, 23, 105, 255};
        QTest::newRow("depth 31") << QVariantList{31, 16, 255, 1.0, 0} << QVector<int>{};
    }

    void gammaCurves()
    {
        QFETCH(QVariantList, depths);
        const QVariantMap request{{"inGray", depths.at(0)},
                                  {"outGray", depths.at(1)},
                                  {"maxValue", depths.at(2)},
                                  {"gam", depths.at(3)},
                                  {"mode", depths.at(4)}};
        QVector<int> levels;
        const QVariantList curve = facade().setGamma(request);
        for (int x = 0; x < curve.size(); ++x) {
            QCOMPARE(curve.at(x).toMap().value("x").toInt(), x);
            levels << curve.at(x).toMap().value("y").toInt();
        }
        QTEST(levels, "levels");
    }

    void pdfExport()
    {
        QTemporaryDir dir;
        const QString base = dir.filePath("wiring");
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        QVERIFY(image.save(base + ".png"));

        const QVariantMap request{
            {"path", base}, {"title", "Wall A"}, {"date", "Date: "}, {"reso", "300x200"}};
        facade().exportConnectDisplayData(request);
        const QByteArray pdf = readFile(base + ".pdf");
        QVERIFY(pdf.startsWith("%PDF"));
        // 340 x 320 pixels at 96 dpi: 255 x 240 points.
        const int box = pdf.indexOf("/MediaBox [0 0 ");
        QVERIFY(box >= 0);
        const QList<QByteArray> size =
            pdf.mid(box + 15, pdf.indexOf(']', box) - box - 15).split(' ');
        QCOMPARE(size.size(), 2);
        QVERIFY(qAbs(size.at(0).toDouble() - 255) <= 1);
        QVERIFY(qAbs(size.at(1).toDouble() - 240) <= 1);
        QVERIFY(!QFile::exists(base + ".png")); // the picture is consumed
    }
};

QTEST_MAIN(TestFacadeFiles)
#include "test_facade_files.moc"
