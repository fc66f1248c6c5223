// The pure encoders and decoders of the data center's file formats.
#include "formats/encryptedfile.h"
#include "formats/gammafileformat.h"
#include "formats/jsonfileformat.h"
#include "formats/mifformat.h"
#include "formats/variantxml.h"

#include <QtTest>

class TestFileFormatCodecs : public QObject
{
    Q_OBJECT
private slots:
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
        for (int at : {0, 6, 22, 34, file.size() - 1}) {
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
        QTest::newRow("huge DEPTH") << QByteArray("DEPTH = 2000000000; WIDTH = 8; CONTENT BEGIN END;");
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
        for (const QByteArray &bad : {QByteArray("00,\r\n0x,\r\n"), QByteArray("1234"), QByteArray()}) {
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
        const QByteArray good = variantxml::encode("root", {{"a", 1}, {"m", QVariantMap{{"b", 2}}}});
        QTest::newRow("wrong root") << QByteArray("<other version=\"1\"/>");
        QTest::newRow("newer version") << QByteArray("<root version=\"2\"/>");
        QTest::newRow("bad int") << QByteArray("<root version=\"1\"><int key=\"a\">1x</int></root>");
        QTest::newRow("unknown element") << QByteArray("<root version=\"1\"><blob key=\"a\"/></root>");
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
            QVERIFY2(mifformat::decode(mif.left(size)).isEmpty(), qPrintable(QString::number(size)));
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
            QVERIFY(icn.at(i).toMap().value("y").toInt() >= icn.at(i - 1).toMap().value("y").toInt());
        QVariantList linear;
        for (const QVariant &point :
             gammafile::chipGammaCurve(ChipFamily::CNS7263, {{"gamma", 1}, {"bits", 8}, {"points", 5}}))
            linear.append(point.toMap().value("y").toInt());
        QCOMPARE(linear, QVariantList({0, 64, 128, 191, 255}));
        const QVariantList capped = gammafile::chipGammaCurve(
            ChipFamily::ICN2053, {{"bits", 8}, {"maxGray", 100000}, {"points", 2}});
        QCOMPARE(capped.last().toMap().value("y").toInt(), 255);

        for (const QVariantMap &bad : {QVariantMap{{"gamma", "x"}}, QVariantMap{{"bits", 17}},
                                       QVariantMap{{"points", 1e9}}})
            QVERIFY(gammafile::chipGammaCurve(ChipFamily::ICN2053, bad).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFileFormatCodecs)

#include "test_fileformats_codecs.moc"
