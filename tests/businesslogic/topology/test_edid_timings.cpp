// The EDID timing table and its lookup.

#include "edidtable.h"

#include <QtTest>

#include <cmath>

static QVariantMap request(const QVariant &width, const QVariant &height, const QVariant &refresh)
{
    return {{QStringLiteral("width"), width},
            {QStringLiteral("height"), height},
            {QStringLiteral("refresh"), refresh}};
}

class TestEdidTimings : public QObject
{
    Q_OBJECT

private slots:
    void findsFormats_data()
    {
        QTest::addColumn<QVariantMap>("params");
        QTest::addColumn<int>("vic");
        QTest::addColumn<int>("hblnk");
        QTest::addColumn<int>("vblnk");
        QTest::addColumn<int>("pclk");

        QTest::newRow("1080p60") << request(1920, 1080, 60000) << 16 << 280 << 45 << 148500;
        // VIC 69 has the same timing; the first row wins.
        QTest::newRow("720p60 is VIC 4") << request(1280, 720, 60000) << 4 << 370 << 30 << 74250;
        QTest::newRow("480p 59.94") << request(640, 480, 59940) << 1 << 160 << 45 << 25175;
        // The custom 3840x2160 row comes after the CEA one.
        QTest::newRow("2160p60") << request(3840, 2160, 60000) << 97 << 560 << 90 << 594000;
        QTest::newRow("custom 1024x768") << request(1024, 768, 60000) << 970 << 320 << 38 << 64995;
        QTest::newRow("numbers as text")
            << request(QStringLiteral("1920"), QStringLiteral("1080"), QStringLiteral("60000"))
            << 16 << 280 << 45 << 148500;
        // A VIC of -1: nothing found.
        QTest::newRow("refresh in Hz") << request(1920, 1080, 60) << -1 << 0 << 0 << 0;
        QTest::newRow("all zero (the unknown row)") << request(0, 0, 0) << -1 << 0 << 0 << 0;
        QTest::newRow("width beyond 16 bits")
            << request(1920 + 65536, 1080, 60000) << -1 << 0 << 0 << 0;
        QTest::newRow("not a number")
            << request(QStringLiteral("wide"), 1080, 60000) << -1 << 0 << 0 << 0;
        QTest::newRow("refresh missing")
            << QVariantMap{{"width", 1920}, {"height", 1080}} << -1 << 0 << 0 << 0;
    }

    void findsFormats()
    {
        QFETCH(QVariantMap, params);
        QFETCH(int, vic);
        if (vic < 0) {
            QCOMPARE(edid::selectEdidData(params),
                     QVariantMap({{QStringLiteral("isExist"), false}}));
            return;
        }
        const QVariantMap result = edid::selectEdidData(params);
        QCOMPARE(result.value(QStringLiteral("isExist")).toBool(), true);
        QCOMPARE(result.size(), 21); // "isExist", "hblnk", "vblnk" and the 18 timing fields
        QCOMPARE(result.value(QStringLiteral("VIC")).toInt(), vic);
        QTEST(result.value(QStringLiteral("hblnk")).toInt(), "hblnk");
        QTEST(result.value(QStringLiteral("vblnk")).toInt(), "vblnk");
        QTEST(result.value(QStringLiteral("PCLK")).toInt(), "pclk");
    }

    void tableIsConsistent()
    {
        QCOMPARE(int(edid::timing(edid::TimingCount - 1).VIC), 0);
        for (std::size_t i = 0; i + 1 < edid::TimingCount; ++i) {
            const edid::Timing &t = edid::timing(i);
            const QByteArray where = QByteArray(t.name);
            QVERIFY2(t.HActive + t.HFrontPorch + t.HSyncWidth + t.HBackPorch == t.HTotal,
                     where.constData());
            QVERIFY2(t.VActive + t.VFrontPorch + t.VSyncWidth + t.VBackPorch == t.VTotal,
                     where.constData());
            // The clock must give the frame rate the row claims.
            const double rate = t.PCLK * 1e6 / (double(t.HTotal) * t.VTotal);
            QVERIFY2(std::abs(rate - t.FrameRate) / t.FrameRate < 0.005, where.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestEdidTimings)
#include "test_edid_timings.moc"
