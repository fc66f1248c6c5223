// The merge passes, their drivers and the port scans: the cases that break a wall
// when they go wrong, and a randomised check of what every computation promises.

#include "mergepass.h"
#include "portwindows.h"
#include "windowdrivers.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace ledwall::windows;

Q_DECLARE_METATYPE(ledwall::windows::WindowList)

namespace
{
bool covers(const WindowList &windows, const QRect &cabinet)
{
    // Inside the union: every pixel row of the cabinet is covered by some window.
    QRegion region;
    for (const Window &w : windows)
        region += w.rect();
    return (QRegion(cabinet) - region).isEmpty();
}

// A random wall: per port a few rows of cabinets of mixed sizes, with gaps, or
// cabinets scattered over a grid of cells (one cabinet at most per cell).
QVariantList randomItems(QRandomGenerator &random)
{
    QVariantList items;
    if (random.bounded(2)) {
        for (int cell = 0; cell < 160; ++cell) {
            if (random.bounded(3) == 0)
                continue;
            const int w = random.bounded(32, 321), h = random.bounded(16, 97);
            items.append(QVariantMap{{"sender_port", cell % 3},
                                     {"sender_addr", items.size()},
                                     {"row", cell / 20},
                                     {"col", cell % 20},
                                     {"x", (cell % 20) * 320 + random.bounded(321 - w)},
                                     {"y", (cell / 20) * 96 + random.bounded(97 - h)},
                                     {"vcs_width", w},
                                     {"vcs_height", h},
                                     {"init", 1}});
        }
        return items;
    }
    int top = 0;
    const int ports = random.bounded(1, 5);
    for (int port = 0; port < ports; ++port) {
        const int rows = random.bounded(1, 4);
        for (int row = 0; row < rows; ++row) {
            const int h = 64 * random.bounded(1, 4);
            int x = random.bounded(3) * 96;
            const int cols = random.bounded(1, 14);
            for (int col = 0; col < cols; ++col) {
                const int w = 32 * random.bounded(1, 17);
                const int step = random.bounded(4) == 0 ? 1 : 0; // a gap now and then
                items.append(QVariantMap{{"sender_port", port},
                                         {"sender_addr", items.size()},
                                         {"row", row + port * 4},
                                         {"col", col + step},
                                         {"x", x + step * 7},
                                         {"y", top},
                                         {"vcs_width", w},
                                         {"vcs_height", h},
                                         {"init", 1},
                                         {"is_as_null", 0}});
                x += w + step * 7;
            }
            top += h + random.bounded(2);
        }
    }
    return items;
}
} // namespace

class TestWindowMerge : public QObject
{
    Q_OBJECT

private slots:
    void passes_data()
    {
        QTest::addColumn<QString>("pass");
        QTest::addColumn<int>("limit");
        QTest::addColumn<WindowList>("input");
        QTest::addColumn<WindowList>("expected"); // empty: unchanged
        QTest::newRow("stack") << "stack" << 0 << WindowList{{0, 0, 64, 32}, {0, 32, 64, 32}}
                               << WindowList{{0, 0, 64, 64}};
        QTest::newRow("1-pixel gap")
            << "stack" << 0 << WindowList{{0, 0, 64, 32}, {0, 33, 64, 32}} << WindowList{};
        QTest::newRow("other width")
            << "stack" << 0 << WindowList{{0, 0, 64, 32}, {0, 32, 65, 32}} << WindowList{};
        QTest::newRow("row within 2048")
            << "rowAdjacent" << 2048
            << WindowList{{64, 0, 64, 32}, {0, 0, 64, 32}, {128, 0, 2000, 32}}
            << WindowList{{0, 0, 128, 32}, {128, 0, 2000, 32}};
        QTest::newRow("1030 fits 1152")
            << "outputCheck" << 1152 << WindowList{{0, 0, 515, 8}, {515, 0, 515, 8}}
            << WindowList{{0, 0, 1030, 8}};
        QTest::newRow("1030 refused at 1100")
            << "outputCheck" << 1100 << WindowList{{0, 0, 515, 8}, {515, 0, 515, 8}}
            << WindowList{};
        QTest::newRow("strips of rows")
            << "outputCheck" << 2048 << WindowList{{0, 0, 512, 8}, {0, 8, 512, 8}, {600, 0, 8, 8}}
            << WindowList{{0, 0, 608, 16}};
        QTest::newRow("width limit -1")
            << "outputCheck" << -1 << WindowList{{0, 0, 8, 8}, {8, 0, 8, 8}} << WindowList{};
        QTest::newRow("corner or row")
            << "cornerOrRow" << 2048
            << WindowList{{0, 0, 256, 64}, {256, 0, 256, 64}, {0, 64, 256, 64}}
            << WindowList{{0, 0, 512, 64}, {0, 64, 256, 64}};
        QTest::newRow("stack within width")
            << "stackWithinWidth" << 128 << WindowList{{0, 0, 200, 8}, {0, 8, 200, 8}}
            << WindowList{};
    }
    void passes()
    {
        QFETCH(QString, pass);
        QFETCH(int, limit);
        QFETCH(WindowList, input);
        QFETCH(WindowList, expected);
        const MergePass *merge = mergePass(pass);
        QVERIFY(merge);
        QCOMPARE(merge->run(input, limit), expected);
    }

    void alignedSplitsAndStrips()
    {
        QCOMPARE(alignUp128(1030), 1152);
        QCOMPARE(alignUp128(0), 0);
        for (auto [width, count, slice] :
             {std::array<int, 3>{2048, 1, 2048}, {2049, 2, 1024}, {5000, 3, 1666}}) {
            QCOMPARE(portSplit(width).wCount, count);
            QCOMPARE(portSplit(width).splitWidth, slice);
        }
        // The run split gives the dropped pixels to the first slices.
        QCOMPARE(splitRun(0, 2049), (QVector<QPair<int, int>>{{0, 1025}, {1025, 1024}}));
        const WindowList row{{1024, 5, 512, 8}, {0, 5, 512, 8}, {512, 5, 512, 8}};
        QCOMPARE(packStrips(row, 1024), (WindowList{{0, 5, 1024, 8}, {1024, 5, 512, 8}}));
        QCOMPARE(packStrips({{0, 0, 3000, 8}}, 1024), (WindowList{{0, 0, 3000, 8}}));
        QVector<int> members{0};
        QVector<bool> consumed{true};
        QVERIFY(!bestMerge(QRect(0, 0, 10, 10), {{0, 0, 8, 8}}, members, consumed));
    }

    void badCabinetsFailTheScan()
    {
        const QVariantMap good{
            {"sender_port", 0}, {"x", 0}, {"y", 0}, {"vcs_width", "128"}, {"vcs_height", 64}};
        QStringList errors;
        QCOMPARE(plainCabinets({good}, {}, false, &errors).size(), 1); // numbers as text
        for (const auto &[key, value] : {std::pair<const char *, QVariant>{"vcs_width", 0},
                                         {"x", -5},
                                         {"sender_port", 16},
                                         {"vcs_height", "tall"}}) {
            QVariantMap bad = good;
            bad.insert(key, value);
            errors.clear();
            QVERIFY(plainCabinets({bad}, {}, false, &errors).isEmpty());
            QCOMPARE(errors.size(), 1);
        }
        QVariantMap overlapping = good;
        overlapping.insert("x", 100);
        const QVector<Cabinet> both = plainCabinets({good, overlapping}, {}, false, &errors);
        QVERIFY(!layoutPorts(both, InitialWindows::PerCabinet).ok());
    }

    // Every computation keeps every used cabinet of a port inside the union of the
    // port's windows, relative to the port's corner; no window is wider than 2048; exact
    // merges never overlap.
    void randomLayoutsKeepTheirPromises()
    {
        QRandomGenerator random(20261206);
        for (int round = 0; round < 150; ++round) {
            const QVariantList items = randomItems(random);
            QStringList errors;
            const QVector<Cabinet> cabinets = plainCabinets(items, {}, true, &errors);
            QVERIFY(errors.isEmpty());
            for (auto initial : {InitialWindows::PerCabinet, InitialWindows::RowRuns}) {
                const PortLayout layout = layoutPorts(cabinets, initial);
                QVERIFY2(layout.ok(), qPrintable(layout.error));
                for (int port = 0; port < PortCount; ++port) {
                    const WindowList start = layout.windows.at(port);
                    const int split = portSplit(layout.ports.at(port).box().w).splitWidth;
                    QVector<WindowList> results{start};
                    if (initial == InitialWindows::PerCabinet)
                        results << diffWHWindows(start, true, split)
                                << diffWHWindows(start, false, split) << packStrips(start, split)
                                << complexWindows(start, true, false)
                                << complexWindows(start, true, true)
                                << complexWindows(start, false, false);
                    const Window corner = layout.ports.at(port).box();
                    for (int r = 0; r < results.size(); ++r) {
                        const WindowList &windows = results.at(r);
                        for (const Cabinet &c : layout.cabinets.at(port))
                            QVERIFY2(
                                covers(windows, c.rect.rect().translated(-corner.x, -corner.y)),
                                qPrintable(QStringLiteral("round %1 result %2").arg(round).arg(r)));
                        const bool exact = r == 0 || r == 1 || r == 6;
                        for (int a = 0; a < windows.size(); ++a) {
                            QVERIFY2(windows.at(a).w <= MaxWindowWidth,
                                     qPrintable(QStringLiteral("result %1 width %2")
                                                    .arg(r)
                                                    .arg(windows.at(a).w)));
                            for (int b = a + 1; exact && b < windows.size(); ++b)
                                QVERIFY(!windows.at(a).rect().intersects(windows.at(b).rect()));
                        }
                    }
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestWindowMerge)
#include "test_window_merge.moc"
