// The data center's file objects: save-then-open round trips and damaged files.
#include "bll_datacenter_displayboxfile.h"
#include "bll_datacenter_encryptfile.h"
#include "bll_datacenter_ethcameraipfile.h"
#include "bll_datacenter_processorfile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestFileFormatFiles : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir.reset(new QTemporaryDir); }
    // The cipher and its damage checks are the codec's (test_fileformats_codecs); here
    // the object's paths, stored keys and application secret.
    void encryptedSettings()
    {
        BLL_DataCenter_EncryptFile file;
        const QVariantMap settings = {{"isSave", true},
                                      {"filePath", "x.ini"},
                                      {"server", "127.0.0.2"},
                                      {"port", 5200}};
        QVERIFY(file.saveAsEncryptFile("file://" + path("set.ini"), settings));
        const QVariantMap stored = file.readEncryptFile(path("set.ini")).value(0).toMap();
        QVERIFY(!stored.contains("isSave") && !stored.contains("filePath"));
        const QByteArray defaultSecret = BLL_DataCenter_EncryptFile::applicationSecret();
        BLL_DataCenter_EncryptFile::setApplicationSecret("another application");
        const bool readWithOtherSecret = !file.readEncryptFile(path("set.ini")).isEmpty();
        BLL_DataCenter_EncryptFile::setApplicationSecret(defaultSecret);
        QVERIFY(!readWithOtherSecret);
    }

    void displayAndComplexFiles()
    {
        BLL_DataCenter_DisplayBoxFile file;
        QSignalSpy opened(&file, &BLL_DataCenter_DisplayBoxFile::sig_openDisplayFileIndex);

        const QVariantMap display = {{"basicInfo", QVariantMap{{"display_count", 1}}}};
        QVERIFY(file.saveDisplayBoxData(path("sub/wall.drc"), display)); // folder made on the way

        QVERIFY(file.saveComplexBoxData(path("wall.rcxs"),
                                        {{"isSave", true}, {"DoNotrespond", true}, {"boxCount", 3}}));
        file.openComplexBoxData(path("wall.rcxs"), true, false);
        const QVariantMap report = opened.first().first().toMap();
        QCOMPARE(report.value("data").toMap(), QVariantMap({{"boxCount", 3.0}}));

        // A display file is no complex file, and an empty map is not saved.
        file.openComplexBoxData(path("sub/wall.drc"), false, false);
        QVERIFY(!opened.last().first().toMap().value("result").toBool());
        QVERIFY(!file.saveDisplayBoxData(path("empty.drc"), {}));
        QVERIFY(!QFile::exists(path("empty.drc")));

        QVERIFY(file.saveBoxData(path("p2.5.box"), {{"width", 128}}));
        QCOMPARE(file.openBoxData(path("p2.5.box")).size(), 1);
        QCOMPARE(file.getConnectBoxConfig("p2.5").value("width").toInt(), 128);
    }

    void cabinetFilesArePlainJson()
    {
        BLL_DataCenter_DisplayBoxFile file;
        QString bcj = "file://" + path("boxParam.BCJ");
        const QVariantList result = file.saveBoxConfigureFile(
            bcj, {{"isSave", true}, {"filePath", "x"}, {"registerAddr", "1234,abcd,"}, {"scan", 16}});
        QCOMPARE(result.size(), 1);
        QCOMPARE(bcj, path("boxParam.BCJ"));
        // Other programs read and patch it as a plain object.
        const QJsonObject object = QJsonDocument::fromJson(read("boxParam.BCJ")).object();
        QCOMPARE(object.value("registerAddr").toString(), QString("1234,abcd,"));
        QVERIFY(!object.contains("isSave"));

        QString mcj = path("module.MCJ");
        QVERIFY(
            file.saveModuleConfigureFile(mcj, {{"rows", 32}}).first().toMap().value("result").toBool());
        QCOMPARE(file.openBoxConfigureData(mcj, {}).first().toMap().value("rows").toInt(), 32);
    }

    void connectionXmlFillsTheDisplayData()
    {
        BLL_DataCenter_DisplayBoxFile file;
        const QVariantMap item = {{"index", 0}, {"init", 1}, {"sender_port", 2}, {"vcs_width", 128}};
        const QVariantMap display = {
            {"display_idx", 4}, {"display_name", "front"}, {"itemArr", QVariantList{item}}};
        QVERIFY(file.saveDisplayConnectXMLFile(
            path("connect.xml"), {{"isSave", true},
                                  {"basicInfo", QVariantMap{{"display_count", 1}, {"FreeLine", 0}}},
                                  {"displayArr", QVariantList{display}}}));
        QSignalSpy opened(&file, &BLL_DataCenter_DisplayBoxFile::sig_openDisplayFileIndex);
        QVERIFY(file.openDisplayConnectXMLFile(path("connect.xml")));
        const QVariantMap back = file.getOneDisplayData(4);
        QCOMPARE(back.value("display_name").toString(), QString("front"));
        QCOMPARE(back.value("itemArr").toList().first().toMap().value("vcs_width").toInt(), 128);

        // A save without data writes what is in memory.
        QVERIFY(file.saveDisplayConnectXMLFile(path("again.xml"), {{"isSave", true}}));
        QVERIFY(file.clearDisplayConnectXMLFile(path("cleared.xml")));
        QVERIFY(file.getOneDisplayData(4).isEmpty());
        QVERIFY(file.openDisplayConnectXMLFile(path("again.xml")));
        QCOMPARE(file.getOneDisplayData(4).value("display_name").toString(), QString("front"));
    }

    void gammaFiles()
    {
        BLL_DataCenter_DisplayBoxFile file;
        QVariantList points = file.getICN2053Gamma({{"points", 64}});
        QVERIFY(file.saveGammaData(path("a.gam"), {{"gammaTable", points}, {"gam", 2.2}}));
        QCOMPARE(file.openGammaData(path("a.gam")), points);
        QVERIFY(file.saveHdrGammaFile(path("hdr.mif"), {{"gammaTable", points}, {"width", 16}}));
        QCOMPARE(file.openHdrGammaFile(path("hdr.mif")), points);
        write("gama.dat", "0000,\r\n00FF,\r\n");
        QCOMPARE(file.getGrayTable("ICN2053", path("gama.dat")), QVariantList({0, 255}));

        QVERIFY(!file.saveGammaData(path("b.gam"), {{"gammaTable", QVariantList{"x"}}}));
    }

    void damagedFilesGiveEmptyResults()
    {
        BLL_DataCenter_DisplayBoxFile file;
        QVERIFY(file.saveDisplayBoxData(path("w.drc"), {{"a", 1}}));
        QVERIFY(file.saveGammaData(path("g.gam"), {{"gammaTable", QVariantList{1, 2, 3}}}));
        QVERIFY(file.saveDisplayConnectXMLFile(path("c.xml"), {{"basicInfo", QVariantMap{{"a", 1}}}}));
        for (const char *name : {"w.drc", "g.gam", "c.xml"}) {
            const QByteArray good = read(QString::fromLatin1(name));
            write(QString::fromLatin1(name), good.left(good.size() * 2 / 3));
        }
        file.setBasicInfoData({{"kept", 1}});
        QVERIFY(file.openDisplayBoxData(path("w.drc")).isEmpty());
        QVERIFY(file.openGammaData(path("g.gam")).isEmpty());
        QVERIFY(!file.openDisplayConnectXMLFile(path("c.xml")));
        QCOMPARE(file.getBasicInfoData().value("kept").toInt(), 1); // a failed open changes nothing

        write("bad.gam", R"({"format":"ledwall-gamma","version":1,"data":{"gammaTable":[1,"x"]}})");
        QVERIFY(file.openGammaData(path("bad.gam")).isEmpty());
        write("bad.BCJ", "[1, 2]");
        QVERIFY(file.openBoxConfigureData(path("bad.BCJ"), {}).isEmpty());
        QVERIFY(file.openBoxData(path("w.drc")).isEmpty());
    }

    void processorAndCameraFiles()
    {
        BLL_DataCenter_ProcessorFile processor;
        QSignalSpy saved(&processor, &BLL_DataCenter_ProcessorFile::sig_saveProcessorFile);
        QVERIFY(processor.saveProcessorXMLFile(path("proc.xml"),
                                               {{"isSave", true}, {"layers", QVariantList{1, 2}}}));
        QVERIFY(saved.first().first().toBool());
        QCOMPARE(processor.openProcessorXMLFile(path("proc.xml")),
                 QVariantMap({{"layers", QVariantList{qlonglong(1), qlonglong(2)}}}));
        // Each XML file is only read as its own kind.
        QVERIFY(processor.openGamutCfgFile(path("proc.xml")).isEmpty());

        BLL_DataCenter_ETHCameraIPFile camera;
        QVERIFY(!camera.saveCameraIpData(path("none.json"), {}).value("result").toBool());
        QVERIFY(camera.openCameraIpData(path("proc.xml"), {{"port", 554}}).isEmpty());
    }

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestFileFormatFiles)

#include "test_fileformats_files.moc"
