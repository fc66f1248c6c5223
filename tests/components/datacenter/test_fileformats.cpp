// The data center's file formats: the pure encoders and decoders, and the file
// objects' save-then-open round trips and damaged files.
#include "bll_datacenter_displayboxfile.h"
#include "bll_datacenter_encryptfile.h"
#include "bll_datacenter_ethcameraipfile.h"
#include "bll_datacenter_processorfile.h"
#include "formats/encryptedfile.h"
#include "formats/gammafileformat.h"
#include "formats/jsonfileformat.h"
#include "formats/mifformat.h"
#include "formats/variantxml.h"
#include "threadspy.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
class TestFileFormats : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir.reset(new QTemporaryDir); }
    // The cipher and its damage checks are the codec's (encrypted* below); here
    // the object's paths, stored keys and application secret.
    void encryptedSettings()
    {
        BLL_DataCenter_EncryptFile file;
        const QVariantMap settings = {
            {"isSave", true}, {"filePath", "x.ini"}, {"server", "127.0.0.2"}, {"port", 5200}};
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
        ThreadSpy opened(&file, &BLL_DataCenter_DisplayBoxFile::sig_openDisplayFileIndex);

        const QVariantMap display = {{"basicInfo", QVariantMap{{"display_count", 1}}}};
        QVERIFY(file.saveDisplayBoxData(path("sub/wall.drc"), display)); // folder made on the way

        QVERIFY(file.saveComplexBoxData(
            path("wall.rcxs"), {{"isSave", true}, {"DoNotrespond", true}, {"boxCount", 3}}));
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
        file.saveBoxConfigureFile(
            bcj, {{"isSave", true}, {"filePath", "x"}, {"registerAddr", "1234,abcd,"}});
        QCOMPARE(bcj, path("boxParam.BCJ"));
        // Other programs read and patch it as a plain object.
        const QJsonObject object = QJsonDocument::fromJson(read("boxParam.BCJ")).object();
        QCOMPARE(object.value("registerAddr").toString(), QString("1234,abcd,"));
        QVERIFY(!object.contains("isSave"));

        QString mcj = path("module.MCJ");
        QVERIFY(file.saveModuleConfigureFile(mcj, {{"rows", 32}})
                    .first()
                    .toMap()
                    .value("result")
                    .toBool());
        QCOMPARE(file.openBoxConfigureData(mcj, {}).first().toMap().value("rows").toInt(), 32);
    }

    void connectionXmlFillsTheDisplayData()
    {
        BLL_DataCenter_DisplayBoxFile file;
        const QVariantMap item = {
            {"index", 0}, {"init", 1}, {"sender_port", 2}, {"vcs_width", 128}};
        const QVariantMap display = {
            {"display_idx", 4}, {"display_name", "front"}, {"itemArr", QVariantList{item}}};
        QVERIFY(file.saveDisplayConnectXMLFile(
            path("connect.xml"), {{"isSave", true},
                                  {"basicInfo", QVariantMap{{"display_count", 1}, {"FreeLine", 0}}},
                                  {"displayArr", QVariantList{display}}}));
        ThreadSpy opened(&file, &BLL_DataCenter_DisplayBoxFile::sig_openDisplayFileIndex);
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
        QVERIFY(
            file.saveDisplayConnectXMLFile(path("c.xml"), {{"basicInfo", QVariantMap{{"a", 1}}}}));
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
        ThreadSpy saved(&processor, &BLL_DataCenter_ProcessorFile::sig_saveProcessorFile);
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

    void encryptedRoundTripAndFreshSalt()
    {
        const QByteArray plain = encryptedfile::encodeSettings({{"user", "ops"}, {"level", 3}});
        const QByteArray first = encryptedfile::encrypt(plain, "secret");
        const QByteArray second = encryptedfile::encrypt(plain, "secret");
        QVERIFY(first.startsWith("LWENC1"));
        QVERIFY(!first.contains("ops"));                  // no plaintext on disk
        QVERIFY(first.mid(6, 16) != second.mid(6, 16));   // salt
        QVERIFY(first.mid(22, 12) != second.mid(22, 12)); // nonce
        QByteArray back;
        QVERIFY(encryptedfile::decrypt(first, "secret", &back));
        QCOMPARE(back, plain);
        QCOMPARE(encryptedfile::decodeSettings(back).value("level").toInt(), 3);
    }

    void encryptedRejectsAnyDamage()
    {
        const QByteArray file = encryptedfile::encrypt("{\"a\":1}", "secret");
        QByteArray plain = "stale";
        QVERIFY(!encryptedfile::decrypt(file, "other secret", &plain));
        QVERIFY(plain.isEmpty());
        // One flipped bit in the magic, salt, nonce, ciphertext and tag.
        for (int at : {0, 6, 22, 34, int(file.size()) - 1}) {
            QByteArray damaged = file;
            damaged[at] = char(damaged.at(at) ^ 0x01);
            QVERIFY2(!encryptedfile::decrypt(damaged, "secret", &plain),
                     qPrintable(QString::number(at)));
        }
        QVERIFY(!encryptedfile::decrypt(file.left(6 + 16 + 12 + 15), "secret", &plain));
        QVERIFY(!encryptedfile::decrypt(file + 'x', "secret", &plain));
    }

    void mifReadsWhatToolsWrite()
    {
        const QByteArray text = "% generated %\n-- gamma\nwidth=8; depth = 10;\n"
                                "address_radix = dec; DATA_RADIX = BIN;\n"
                                "CONTENT BEGIN\n"
                                "  0 : 1;  -- first\n"
                                "  1 : 10 11 100;\n"
                                "  [6..8] : 11111111;\n"
                                "END;\n";
        const QVariantList values = mifformat::decode(text).value("values").toList();
        const QVariantList expected = {1, 2, 3, 4, 0, 0, 255, 255, 255, 0};
        QCOMPARE(values, expected);
    }

    void mifRejectsDamage_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray head = "DEPTH = 4;\nWIDTH = 8;\nADDRESS_RADIX = HEX;\nDATA_RADIX = HEX;\n";
        QTest::newRow("no CONTENT") << head + "0 : 01;\nEND;\n";
        QTest::newRow("address past DEPTH") << head + "CONTENT BEGIN\n 4 : 01;\nEND;\n";
        QTest::newRow("word wider than WIDTH") << head + "CONTENT BEGIN\n 0 : 100;\nEND;\n";
        QTest::newRow("bad digit") << head + "CONTENT BEGIN\n 0 : 0G;\nEND;\n";
        QTest::newRow("reversed range") << head + "CONTENT BEGIN\n [3..1] : 01;\nEND;\n";
        QTest::newRow("huge DEPTH")
            << QByteArray("DEPTH = 2000000000; WIDTH = 8; CONTENT BEGIN END;");
        QTest::newRow("WIDTH 64") << QByteArray("DEPTH = 4; WIDTH = 64; CONTENT BEGIN END;");
        QTest::newRow("unknown radix") << head + "DATA_RADIX = XYZ;\nCONTENT BEGIN\nEND;\n";
    }

    void mifRejectsDamage()
    {
        QFETCH(QByteArray, text);
        QVERIFY(mifformat::decode(text).isEmpty());
    }

    void hexEntries()
    {
        const QVariantList values = {0, 0x12, 0xABCD, 0x10000};
        const QByteArray text = gammafile::encodeHexEntries(values);
        QCOMPARE(text.left(14), QByteArray("0000,\r\n0012,\r\n"));
        QVariantList back;
        QVERIFY(gammafile::decodeHexEntries(text + "FFFF", &back)); // text after the last separator
        QCOMPARE(back.size(), 4);
        QCOMPARE(back.at(3).toInt(), 0x10000);
        for (const QByteArray &bad :
             {QByteArray("00,\r\n0x,\r\n"), QByteArray("1234"), QByteArray()}) {
            back = {1};
            QVERIFY2(!gammafile::decodeHexEntries(bad, &back), bad.constData());
            QVERIFY(back.isEmpty());
        }
    }

    void variantXmlKeepsTypes()
    {
        const QVariantMap data = {
            {"name", "wall <A> & \"B\""},
            {"count", 7},
            {"gamma", 2.2},
            {"lockFlag", true},
            {"raw", QByteArray("\x00\x01\xff", 3)},
            {"displayArr",
             QVariantList{QVariantMap{{"display_idx", 0}, {"itemArr", QVariantList{1, "x"}}},
                          QVariantList{}}},
        };
        QVariantMap back;
        QVERIFY(variantxml::decode("root", variantxml::encode("root", data), &back));
        QCOMPARE(back.value("name").toString(), data.value("name").toString());
        QCOMPARE(back.value("count").userType(), int(QMetaType::LongLong));
        QCOMPARE(back.value("lockFlag").userType(), int(QMetaType::Bool));
        QCOMPARE(back.value("raw").toByteArray(), data.value("raw").toByteArray());
        const QVariantList displays = back.value("displayArr").toList();
        QCOMPARE(displays.at(0).toMap().value("itemArr").toList().at(1).toString(), QString("x"));
    }

    void variantXmlRejectsDamage_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray good =
            variantxml::encode("root", {{"a", 1}, {"m", QVariantMap{{"b", 2}}}});
        QTest::newRow("wrong root") << QByteArray("<other version=\"1\"/>");
        QTest::newRow("newer version") << QByteArray("<root version=\"2\"/>");
        QTest::newRow("bad int") << QByteArray(
            "<root version=\"1\"><int key=\"a\">1x</int></root>");
        QTest::newRow("unknown element")
            << QByteArray("<root version=\"1\"><blob key=\"a\"/></root>");
        QTest::newRow("element inside a value")
            << QByteArray("<root version=\"1\"><int key=\"a\"><int>1</int></int></root>");
        QTest::newRow("second root") << QByteArray("<root version=\"1\"/><root version=\"1\"/>");
        QByteArray deep = "<root version=\"1\">";
        for (int i = 0; i < 100; ++i)
            deep += "<list key=\"l\">";
        QTest::newRow("too deep") << deep;
    }

    void variantXmlRejectsDamage()
    {
        QFETCH(QByteArray, text);
        QVariantMap data = {{"stale", 1}};
        QVERIFY(!variantxml::decode("root", text, &data));
        QVERIFY(data.isEmpty());
    }

    void everyTruncationIsRefused()
    {
        const QByteArray mif = mifformat::encode({1, 2, 3, 4}, 8);
        const QByteArray xml = variantxml::encode(
            "root", {{"a", 1}, {"l", QVariantList{QVariantMap{{"s", "text"}}, 2.5}}});
        // Both files end in a line end; anything shorter than the text before it is cut.
        for (int size = 0; size < mif.size() - 1; ++size)
            QVERIFY2(mifformat::decode(mif.left(size)).isEmpty(),
                     qPrintable(QString::number(size)));
        QVariantMap data;
        for (int size = 0; size < xml.size() - 1; ++size)
            QVERIFY2(!variantxml::decode("root", xml.left(size), &data),
                     qPrintable(QString::number(size)));
    }

    void jsonEnvelope()
    {
        const QByteArray file = jsonfile::encodeEnvelope("ledwall-display", {{"w", 4}});
        QCOMPARE(jsonfile::decodeEnvelope("ledwall-display", file).value("w").toInt(), 4);
        QVERIFY(jsonfile::decodeEnvelope("ledwall-box", file).isEmpty());
        QVERIFY(jsonfile::decodeEnvelope("ledwall-display", file.left(file.size() / 2)).isEmpty());
        QVERIFY(jsonfile::decodeEnvelope("ledwall-display",
                                         R"({"format":"ledwall-display","version":2,"data":{}})")
                    .isEmpty());
        QVERIFY(jsonfile::decodeObject("[1,2]").isEmpty());
    }

    void chipGammaCurves()
    {
        using gammafile::ChipFamily;
        const QVariantList icn = gammafile::chipGammaCurve(ChipFamily::ICN2053, {});
        QCOMPARE(icn.size(), 256);
        QCOMPARE(icn.last().toMap().value("y").toInt(), 65535);
        for (int i = 1; i < icn.size(); ++i)
            QVERIFY(icn.at(i).toMap().value("y").toInt() >=
                    icn.at(i - 1).toMap().value("y").toInt());
        QVariantList linear;
        for (const QVariant &point : gammafile::chipGammaCurve(
                 ChipFamily::CNS7263, {{"gamma", 1}, {"bits", 8}, {"points", 5}}))
            linear.append(point.toMap().value("y").toInt());
        QCOMPARE(linear, QVariantList({0, 64, 128, 191, 255}));
        const QVariantList capped = gammafile::chipGammaCurve(
            ChipFamily::ICN2053, {{"bits", 8}, {"maxGray", 100000}, {"points", 2}});
        QCOMPARE(capped.last().toMap().value("y").toInt(), 255);

        for (const QVariantMap &bad :
             {QVariantMap{{"gamma", "x"}}, QVariantMap{{"bits", 17}}, QVariantMap{{"points", 1e9}}})
            QVERIFY(gammafile::chipGammaCurve(ChipFamily::ICN2053, bad).isEmpty());
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

QTEST_GUILESS_MAIN(TestFileFormats)

#include "test_fileformats.moc"
