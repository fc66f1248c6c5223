// The calibration text reader and the packing against a plain reading of the same
// text (QString split, toDouble, toInt), on random files fed in random pieces.

#include "calibrationpacking.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <cstring>

using namespace ledwall::calibration;
using ledwall::storedimage::Cabinet;

namespace
{

double number(const QString &field)
{
    const double v = field.toDouble();
    return std::isnan(v) ? 0.0 : v;
}

void appendWord(QByteArray &out, quint32 w)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char(w >> shift));
}

// words of fields 2.. of f; classic: truncated scaling, else rounded.
void appendPlain(QByteArray &out, const QStringList &f, bool matrix, bool classic)
{
    const auto d = [&](int i, int s, int max) {
        return classic ? truncatedField(number(f.at(i)), s) : roundedField(number(f.at(i)), s, max);
    };
    const int c3 = classic ? 1023 : 1024, dg = classic ? 4095 : 2048, od = classic ? 2047 : 1024;
    if (!matrix) {
        const bool diag = f.size() == 11 && !classic;
        appendWord(out, threeCoefficientWord(d(2, c3, 1023), d(diag ? 6 : 3, c3, 1023),
                                             d(diag ? 10 : 4, c3, 1023)));
        return;
    }
    appendWord(out, matrixRowWord(d(2, dg, 2047), d(3, od, 1023), d(4, od, 1023)));
    appendWord(out, matrixRowWord(d(6, dg, 2047), d(5, od, 1023), d(7, od, 1023)));
    appendWord(out, matrixRowWord(d(10, dg, 2047), d(8, od, 1023), d(9, od, 1023)));
}

QStringList plainLines(const QByteArray &text)
{
    QStringList lines = QString::fromLatin1(text).split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

QByteArray plainDisplay(const QByteArray &text, int width, int height, uint layout)
{
    QByteArray out;
    int left = width * height;
    const QStringList lines = plainLines(text);
    for (int n = 0; n < lines.size(); ++n) {
        if (lines.at(n).isEmpty())
            continue;
        const QStringList f = lines.at(n).split(QLatin1Char(','));
        if (n == 0 && f.size() == 2)
            continue;
        if ((f.size() != 5 && f.size() != 11) || (layout == Matrix && f.size() != 11))
            return {};
        const int x = f.at(0).toInt() - 1, y = f.at(1).toInt() - 1;
        if (x >= 0 && y >= 0 && x < width && y < height && left-- > 0)
            appendPlain(out, f, layout == Matrix, false);
    }
    return out;
}

// The classic reading of the file for one cabinet; "!" when it fails.
QByteArray plainCabinet(const QByteArray &text, const QRect &rect, uint layout)
{
    QByteArray out;
    int left = rect.width() * rect.height();
    for (const QString &line : plainLines(text)) {
        if (line.isEmpty())
            continue;
        const QStringList f = line.split(QLatin1Char(','));
        if (f.size() < 5)
            return "!";
        const bool m = layout == Matrix;
        const int col = m ? f.at(1).toInt() - 1 : f.at(0).toInt();
        const int row = m ? f.at(0).toInt() - 1 : f.at(1).toInt();
        if (!rect.contains(col, row) || left == 0)
            continue;
        if (m && f.size() < 11)
            return "!";
        appendPlain(out, f, m, true);
        --left;
    }
    return out;
}

QString randomCoefficient(QRandomGenerator &rng)
{
    static const QStringList odd =
        QStringLiteral("|abc|nan|inf|-inf|+0.5| 0.25|1.|.5|0x10|-0|-0.0|1e400|-1e9|2E-2|1.5e3|"
                       "00.50|12345678901234567890|0.49951171875|-2.5e-4")
            .split(QLatin1Char('|'));
    switch (rng.bounded(6)) {
    case 0:
        return odd.at(int(rng.bounded(odd.size())));
    case 1: { // a half-way point of one of the scalings, written exactly
        const double v = (rng.bounded(8192) - 4096 + 0.5) / (rng.bounded(2) ? 2048.0 : 1024.0);
        return QString::number(v, 'f', 14);
    }
    default: {
        QString s = rng.bounded(3) == 0 ? QStringLiteral("-") : QString();
        s += QString::number(rng.bounded(rng.bounded(2) ? 3 : 2));
        const int decimals = rng.bounded(2) ? int(rng.bounded(1, 6)) : int(rng.bounded(25));
        if (decimals > 0)
            s += QLatin1Char('.');
        for (int i = 0; i < decimals; ++i)
            s += QLatin1Char(char('0' + rng.bounded(10)));
        return s;
    }
    }
}

QByteArray randomText(QRandomGenerator &rng, int lines, int fields, int side)
{
    QByteArray text = rng.bounded(2) ? QByteArray("4,4\n") : QByteArray();
    for (int n = 0; n < lines; ++n) {
        QStringList f;
        static const QStringList oddCoordinates = {"1.0", "007", "+3", "99999999999", " 4"};
        const auto coordinate = [&] {
            return rng.bounded(10) == 0 ? oddCoordinates.at(int(rng.bounded(5)))
                                        : QString::number(rng.bounded(side + 2));
        };
        f << coordinate() << coordinate();
        for (int i = 2; i < fields; ++i)
            f << randomCoefficient(rng);
        text += f.join(QLatin1Char(',')).toLatin1() + (rng.bounded(4) ? "\n" : "\r\n");
    }
    if (rng.bounded(2))
        text.chop(1); // no newline at the end
    return text;
}

template <typename Sink>
void feedInPieces(const QByteArray &text, Sink &sink, QRandomGenerator &rng)
{
    CalibrationTextReader reader(sink);
    for (int at = 0; at < text.size();) {
        const int piece = qMin(int(rng.bounded(1, 40)), text.size() - at);
        reader.feed(text.constData() + at, piece);
        at += piece;
    }
    reader.finish();
}

} // namespace

class TestCalibrationPacking : public QObject
{
    Q_OBJECT

private slots:
    void coefficientsReadExactlyAsQtDoes()
    {
        QRandomGenerator rng(20261206);
        for (int i = 0; i < 200000; ++i) {
            const QByteArray field = randomCoefficient(rng).toLatin1();
            const double expected = number(QString::fromLatin1(field));
            const double got = coefficientValue(field.constBegin(), field.constEnd());
            if (std::memcmp(&got, &expected, sizeof got) != 0) // bit for bit, -0 too
                QFAIL(field.constData());
        }
    }

    void scalingRules()
    {
        const struct {
            double value;
            int rounded;   // x 1024, at most 1023
            int truncated; // x 1023
        } rows[] = {{1.0, 1023, 1023},      {0.5, 512, 511},        {-2.5 / 1024, -2, -2},
                    {2.5 / 1024, 3, 2},     {1e300, 1023, INT_MAX}, {-1e300, INT_MIN, INT_MIN},
                    {qInf(), 1023, INT_MAX}};
        for (const auto &row : rows) {
            QCOMPARE(roundedField(row.value, 1024, 1023), row.rounded);
            QCOMPARE(truncatedField(row.value, 1023), row.truncated);
        }
    }

    void displayEdgeCases_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<uint>("layout");
        QTest::addColumn<QByteArray>("words"); // hex
        QTest::addColumn<QByteArray>("companion");
        const QByteArray ones(3 * 1024 * 1024, '1');
        QTest::newRow("clamp, round")
            << QByteArray("1,1,1.0,0.5,0.25") << 0u << QByteArray("100803ff") << QByteArray();
        QTest::newRow("header") << QByteArray("2,2\r\n1,1,1.0,0.5,0.25\r\n") << 0u
                                << QByteArray("100803ff") << QByteArray();
        QTest::newRow("late header")
            << QByteArray("1,1,1,1,1\n2,2\n") << 0u << QByteArray() << QByteArray();
        QTest::newRow("off-diagonal -0.5")
            << QByteArray("1,2,0,-0.5,0,0,0,0,0,0,0") << 7u
            << QByteArray("002000000000000000000000") << QByteArray("01ffffffffffffffffffffff");
        QTest::newRow("matrix needs 11")
            << QByteArray("1,1,1,1,1") << 7u << QByteArray() << QByteArray();
        QTest::newRow("NUL bytes") << QByteArray(5, '\0') << 0u << QByteArray() << QByteArray();
        QTest::newRow("runaway line") << ones << 0u << QByteArray() << QByteArray();
        QTest::newRow("beyond the display") << QByteArray("3,1,1,1,1\n1,3,1,1,1\n1,1,0,0,0") << 0u
                                            << QByteArray("00000000") << QByteArray();
    }
    void displayEdgeCases()
    {
        QFETCH(QByteArray, text);
        QFETCH(uint, layout);
        QFETCH(QByteArray, words);
        QFETCH(QByteArray, companion);
        DisplayPacker display(2, 2, layout);
        readCalibrationText(text, display);
        QCOMPARE(display.data().toHex(), words);
        QCOMPARE(companionRecords(display.companionRows()).toHex(), companion);
    }

    void randomFilesPackAsThePlainReading()
    {
        QRandomGenerator rng(7);
        for (int round = 0; round < 300; ++round) {
            const uint layout = round % 2 ? Matrix : ThreeCoefficients;
            const int fields = layout == Matrix || rng.bounded(4) == 0 ? 11 : 5;
            const QByteArray text = randomText(rng, int(rng.bounded(1, 40)), fields, 6);
            DisplayPacker display(6, 6, layout);
            feedInPieces(text, display, rng);
            QCOMPARE(display.data(), plainDisplay(text, 6, 6, layout));

            // Several cabinets, overlapping, from one reading: the bytes of one
            // reading per cabinet.
            QVector<Cabinet> cabinets;
            for (int i = 0; i < 4; ++i)
                cabinets.append({0, i, QRect(int(rng.bounded(5)), int(rng.bounded(5)), 3, 2)});
            CabinetPacker packer(cabinets, layout);
            feedInPieces(text, packer, rng);
            // Per-cabinet readings stop at the first cabinet that fails.
            for (int i = 0; i <= packer.sendable && i < cabinets.size(); ++i) {
                const QByteArray expected = plainCabinet(text, cabinets.at(i).rect, layout);
                QCOMPARE(i < packer.sendable ? packer.data.at(i) : QByteArray("!"), expected);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestCalibrationPacking)
#include "test_calibration_packing.moc"
