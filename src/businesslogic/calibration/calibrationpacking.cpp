#include "calibrationpacking.h"

#include <QtEndian>
#include <QtMath>

#include <cmath>
#include <limits>

namespace ledwall::calibration
{

namespace
{

constexpr qint32 MaxField = std::numeric_limits<qint32>::max();
constexpr qint32 MinField = std::numeric_limits<qint32>::min();

struct Scales {
    int three, diagonal, offDiagonal;
    int threeMax, diagonalMax, offDiagonalMax;
};
constexpr Scales TruncatedScales{1023, 4095, 2047, 0, 0, 0};
constexpr Scales RoundedScales{1024, 2048, 1024, 1023, 2047, 1023};

// The field rules, inline here: the packing loops call them nine times a line.
inline qint32 truncatedValue(double value, int scale)
{
    const double x = value * scale;
    if (std::isnan(x))
        return 0;
    if (x >= 2147483648.0)
        return MaxField;
    if (x <= -2147483649.0)
        return MinField;
    return qint32(x);
}

// Halves round up, towards +infinity (-2.5 gives -2, 2.5 gives 3), as in every file packed
// so far; the Qt 6 qRound takes -2.5 to -3, so the rule is written out here to keep the
// packed bytes the same under Qt 5 and Qt 6. x lies strictly between INT_MIN and INT_MAX.
inline qint32 roundHalfUp(double x)
{
    return x >= 0.0 ? qint32(x + 0.5) : qint32(x - double(qint32(x - 1)) + 0.5) + qint32(x - 1);
}

inline qint32 roundedValue(double value, int scale, int maximum)
{
    const double x = value * scale;
    if (std::isnan(x))
        return 0;
    if (x >= 2147483647.0)
        return maximum;
    if (x <= -2147483647.0)
        return MinField;
    return qMin(roundHalfUp(x), maximum);
}

inline qint32 scaled(double value, int scale, int maximum, Scaling scaling)
{
    return scaling == Scaling::Truncated ? truncatedValue(value, scale)
                                         : roundedValue(value, scale, maximum);
}

bool isThreeOrMatrix(int fieldCount)
{
    return fieldCount == ThreeFieldCount || fieldCount == MatrixFieldCount;
}

// The line rules of the display packing and the pieces: header, field counts.
enum class LineVerdict { Skip, Pack, Wrong };
LineVerdict judgeLine(const CalibrationLine &line, uint layout)
{
    if (line.number == 1 && line.fieldCount == 2)
        return LineVerdict::Skip;
    if (!isThreeOrMatrix(line.fieldCount))
        return LineVerdict::Wrong;
    if (layout != ThreeCoefficients && line.fieldCount != MatrixFieldCount)
        return LineVerdict::Wrong;
    return LineVerdict::Pack;
}

// r, g, b among the coefficients: the diagonal of a matrix line, else the first three.
std::array<int, 3> roundedRgb(const CalibrationLine &line)
{
    if (line.fieldCount == MatrixFieldCount)
        return {0, 4, 8};
    return {0, 1, 2};
}

inline void writeThreeCoefficients(char *out, const CalibrationLine &line, Scaling scaling,
                                   const std::array<int, 3> &rgb)
{
    const Scales &s = scaling == Scaling::Truncated ? TruncatedScales : RoundedScales;
    const auto field = [&](int i) {
        return scaled(line.coefficients[size_t(rgb[size_t(i)])], s.three, s.threeMax, scaling);
    };
    qToBigEndian(threeCoefficientWord(field(0), field(1), field(2)), out);
}

inline void writeMatrix(char *out, const CalibrationLine &line, Scaling scaling)
{
    const Scales &s = scaling == Scaling::Truncated ? TruncatedScales : RoundedScales;
    const auto &m = line.coefficients; // m11 m12 m13 m21 m22 m23 m31 m32 m33
    const auto diagonal = [&](int i) {
        return scaled(m[size_t(i)], s.diagonal, s.diagonalMax, scaling);
    };
    const auto off = [&](int i) {
        return scaled(m[size_t(i)], s.offDiagonal, s.offDiagonalMax, scaling);
    };
    qToBigEndian(matrixRowWord(diagonal(0), off(1), off(2)), out);
    qToBigEndian(matrixRowWord(diagonal(4), off(3), off(5)), out + 4);
    qToBigEndian(matrixRowWord(diagonal(8), off(6), off(7)), out + 8);
}

inline void appendThreeCoefficients(QByteArray &out, const CalibrationLine &line, Scaling scaling,
                                    const std::array<int, 3> &rgb)
{
    char bytes[4];
    writeThreeCoefficients(bytes, line, scaling, rgb);
    out.append(bytes, 4);
}

inline void appendMatrix(QByteArray &out, const CalibrationLine &line, Scaling scaling)
{
    char bytes[12];
    writeMatrix(bytes, line, scaling);
    out.append(bytes, 12);
}

} // namespace

qint32 truncatedField(double value, int scale)
{
    return truncatedValue(value, scale);
}

qint32 roundedField(double value, int scale, int maximum)
{
    return roundedValue(value, scale, maximum);
}

// ---- the display ---------------------------------------------------------------------

namespace
{
// What the output is sized to at first; a larger display grows it as lines come.
constexpr qint64 FirstOutputBytes = 256 * 1024 * 1024;
} // namespace

DisplayPacker::DisplayPacker(int width, int height, uint layout)
    : m_width(width), m_height(height), m_layout(layout),
      m_pixelsLeft(layout == Matrix || layout == ThreeCoefficients
                       ? qMin(qint64(qMax(width, 0)) * qMax(height, 0),
                              MaxPackedBytes / bytesPerPixel(layout))
                       : 0)
{
    // A complete file fills exactly this (uninitialised until written).
    m_data.resize(int(qMin(m_pixelsLeft * bytesPerPixel(layout), FirstOutputBytes)));
    if (layout == Matrix)
        m_rows.resize(int(qMin(m_pixelsLeft, FirstOutputBytes)));
}

void DisplayPacker::grow()
{
    const qint64 bytes = qMin(qMax<qint64>(m_data.size(), 1024) * 2,
                              (m_pixels + m_pixelsLeft) * bytesPerPixel(m_layout));
    m_data.resize(int(bytes));
    if (m_layout == Matrix)
        m_rows.resize(int(bytes / bytesPerPixel(m_layout)));
}

QByteArray DisplayPacker::takeData()
{
    m_data.truncate(int(m_size));
    return std::move(m_data);
}

QByteArray DisplayPacker::takeCompanionRows()
{
    m_rows.truncate(int(m_pixels));
    return std::move(m_rows);
}

QByteArray companionRecords(const QByteArray &rows)
{
    QByteArray records(rows.size() * 12, char(0xFF));
    for (int i = 0; i < rows.size(); ++i)
        records[i * 12] = rows.at(i);
    return records;
}

bool DisplayPacker::take(const CalibrationLine &line)
{
    const LineVerdict verdict = judgeLine(line, m_layout);
    if (verdict == LineVerdict::Skip)
        return true;
    if (verdict == LineVerdict::Wrong) {
        m_size = m_pixels = 0;
        failed = true;
        failedLine = line.number;
        return false;
    }
    const int x = line.column - 1;
    const int y = line.row - 1;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || m_pixelsLeft == 0)
        return true;
    if (m_layout != Matrix && m_layout != ThreeCoefficients)
        return true; // a layout the cards do not know packs nothing
    const int size = bytesPerPixel(m_layout);
    if (m_size + size > m_data.size())
        grow();
    char *out = m_data.data() + m_size;
    if (m_layout == Matrix) {
        writeMatrix(out, line, Scaling::Rounded);
        m_rows.data()[m_pixels] = char(quint8(y));
    } else {
        writeThreeCoefficients(out, line, Scaling::Rounded, roundedRgb(line));
    }
    m_size += size;
    ++m_pixels;
    --m_pixelsLeft;
    return true;
}

// ---- pieces --------------------------------------------------------------------------

namespace
{

class PixelTableSink : public LineSink
{
public:
    PixelTableSink(int width, int height, uint layout)
        : m_width(width), m_height(height), m_layout(layout)
    {
    }

    bool take(const CalibrationLine &line) override
    {
        const LineVerdict verdict = judgeLine(line, m_layout);
        if (verdict == LineVerdict::Wrong) {
            failedLine = line.number;
            return false;
        }
        const int x = line.column - 1;
        const int y = line.row - 1;
        if (verdict == LineVerdict::Skip || x < 0 || y < 0 || x >= m_width || y >= m_height)
            return true;
        QByteArray bytes;
        if (m_layout == ThreeCoefficients)
            appendThreeCoefficients(bytes, line, Scaling::Rounded, roundedRgb(line));
        else
            appendMatrix(bytes, line, Scaling::Rounded);
        table.insert(QString::number(x) + QLatin1Char(',') + QString::number(y), bytes);
        return true;
    }

    QHash<QString, QVariant> table;
    qint64 failedLine = 0;

private:
    int m_width;
    int m_height;
    uint m_layout;
};

} // namespace

QHash<QString, QVariant> pixelTable(const QByteArray &text, int width, int height, uint layout,
                                    qint64 *failedLine)
{
    PixelTableSink sink(width, height, layout);
    readCalibrationText(text, sink);
    if (failedLine)
        *failedLine = sink.failedLine;
    return sink.table;
}

// ---- the per-cabinet pass -------------------------------------------------------------

CabinetPacker::CabinetPacker(const QVector<storedimage::Cabinet> &cabinets, uint layout)
    : m_cabinets(cabinets), m_layout(layout)
{
    data.resize(cabinets.size());
    sendable = cabinets.size();
    m_pixelsLeft.reserve(cabinets.size());
    // Reserve what a complete file fills, within one budget for all cabinets: their
    // rectangles come from the card and may claim far more than a file holds.
    qint64 budget = 256 * 1024 * 1024;
    for (int i = 0; i < cabinets.size(); ++i) {
        const qint64 pixels = qint64(cabinets.at(i).rect.width()) * cabinets.at(i).rect.height();
        m_pixelsLeft.append(qMin(pixels, MaxPackedBytes / bytesPerPixel(layout)));
        const qint64 reserve = qMin(pixels * bytesPerPixel(layout), budget);
        data[i].reserve(int(reserve));
        budget -= reserve;
    }
}

void CabinetPacker::selectRow(int row)
{
    m_row = row;
    m_rowValid = true;
    m_rowCabinets.clear();
    for (int i = 0; i < m_cabinets.size(); ++i) {
        const QRect &r = m_cabinets.at(i).rect;
        if (row >= r.top() && row <= r.bottom())
            m_rowCabinets.append(i);
    }
}

bool CabinetPacker::take(const CalibrationLine &line)
{
    if (line.fieldCount < ThreeFieldCount) { // every cabinet's reading ends here
        sendable = 0;
        failedLine = line.number;
        return false;
    }
    const bool matrix = m_layout == Matrix;
    const int column = matrix ? line.row - 1 : line.column;
    const int row = matrix ? line.column - 1 : line.row;
    if (!m_rowValid || row != m_row)
        selectRow(row);
    for (const int i : qAsConst(m_rowCabinets)) {
        const QRect &r = m_cabinets.at(i).rect;
        if (column < r.left() || column > r.right() || m_pixelsLeft.at(i) == 0)
            continue;
        if (matrix && line.fieldCount < MatrixFieldCount) {
            // This cabinet and every later one fail; earlier ones still complete.
            if (i < sendable) {
                sendable = i;
                failedLine = line.number;
            }
            continue;
        }
        if (matrix)
            appendMatrix(data[i], line, Scaling::Truncated);
        else
            appendThreeCoefficients(data[i], line, Scaling::Truncated, {0, 1, 2});
        --m_pixelsLeft[i];
    }
    return sendable > 0;
}

QByteArray cutCabinet(const QByteArray &display, int width, int pixelBytes, const QRect &rect)
{
    QByteArray out;
    out.reserve(
        int(qMin<qint64>(qint64(rect.width()) * rect.height() * pixelBytes, display.size())));
    for (int r = rect.top(); r <= rect.bottom(); ++r) {
        const qint64 begin = (qint64(r) * width + rect.left()) * pixelBytes;
        const qint64 end = qMin<qint64>(begin + qint64(rect.width()) * pixelBytes, display.size());
        if (begin >= display.size())
            break;
        // A row is whole pixels; only the data's end can cut it.
        const qint64 whole = (end - begin) / pixelBytes * pixelBytes;
        out.append(display.constData() + begin, int(whole));
    }
    return out;
}

} // namespace ledwall::calibration
