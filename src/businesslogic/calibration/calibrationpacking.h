#pragma once
// Calibration coefficients packed into the 32-bit words of the receiving cards'
// calibration memory, most significant byte first.
//
//   three coefficients, one word per pixel:
//     31 30 | 29 ........ 20 | 19 ........ 10 | 9 ......... 0
//      0  0 |        b       |        g       |       r
//   matrix, three words per pixel, one per row i of the 3 x 3 matrix:
//     31 ........ 22 | 21 ........ 12 | 11 ........... 0
//     second off-diag| first off-diag |  diagonal mii
//     (row 1: m12, m13; row 2: m21, m23; row 3: m31, m32)
//
// Each field keeps the low bits of the two's complement of its integer. Two
// scalings exist: the per-cabinet pass truncates toward zero (x 1023, diagonal
// x 4095, off-diagonal x 2047, no clamp); the display packing and the pieces round
// half up (x 1024, diagonal x 2048, off-diagonal x 1024) and clamp from above
// (1023, 2047, 1023). A scaled value beyond the 32-bit range saturates first.

#include "calibrationtext.h"
#include "storedimage.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

namespace ledwall::calibration
{

// "adjen_type": the coefficient layout.
enum Layout : uint { ThreeCoefficients = 0, Matrix = 7 };

enum class Scaling { Truncated, Rounded };

// One coefficient scaled as the rule says (before the field's bits are taken).
qint32 truncatedField(double value, int scale);
qint32 roundedField(double value, int scale, int maximum);

// Bytes per pixel of a layout: 4 for three coefficients, 12 for the matrix.
constexpr int bytesPerPixel(uint layout)
{
    return layout == Matrix ? 12 : 4;
}

constexpr quint32 threeCoefficientWord(qint32 r, qint32 g, qint32 b)
{
    return (quint32(r) & 0x3FF) | (quint32(g) & 0x3FF) << 10 | (quint32(b) & 0x3FF) << 20;
}

constexpr quint32 matrixRowWord(qint32 diagonal, qint32 firstOffDiagonal, qint32 secondOffDiagonal)
{
    return (quint32(diagonal) & 0xFFF) | (quint32(firstOffDiagonal) & 0x3FF) << 12 |
           (quint32(secondOffDiagonal) & 0x3FF) << 22;
}

// The packed data of one display never grows beyond this (an 8K matrix file is
// about 400 MB).
constexpr qint64 MaxPackedBytes = qint64(1) << 30;

// The packed display (getDisplayAdjustDataByteArr): pixels in file order, each
// written in place into an output sized for a complete file, so that a line costs
// no allocation and no append.
class DisplayPacker : public LineSink
{
public:
    DisplayPacker(int width, int height, uint layout);
    bool take(const CalibrationLine &line) override;

    // The packed words so far (empty once a wrong line failed the file).
    QByteArray data() const { return m_data.left(int(m_size)); }
    QByteArray takeData();
    // Per packed matrix pixel the low byte of its row (see companionRecords).
    QByteArray companionRows() const { return m_rows.left(int(m_pixels)); }
    QByteArray takeCompanionRows();

    bool failed = false;
    qint64 failedLine = 0;

private:
    void grow();

    QByteArray m_data; // sized ahead; the first m_size bytes are packed
    QByteArray m_rows; // sized like m_data, one byte per pixel
    qint64 m_size = 0;
    qint64 m_pixels = 0;
    int m_width;
    int m_height;
    uint m_layout;
    qint64 m_pixelsLeft;
};

// The companion records of the matrix packing: per pixel the low byte of y, then
// eleven 0xFF bytes.
QByteArray companionRecords(const QByteArray &rows);

// Pieces of a file held in memory (getAdjustDataByteArr): a table from "x,y" to
// the pixel's packed bytes. Same line rules as the display; a wrong line ends the
// reading and keeps what was read. Layouts other than 0 pack the matrix.
QHash<QString, QVariant> pixelTable(const QByteArray &text, int width, int height, uint layout,
                                    qint64 *failedLine = nullptr);

// The per-cabinet pass (getAdjustData) over one reading of the file: each cabinet
// gets the packed pixels inside its rectangle in file order, as if the file had
// been read once per cabinet. Layout 0 takes column and row from fields 0 and 1
// (zero-based), the matrix layout row from field 0 and column from field 1
// (one-based). No header rule. A line of fewer than five fields ends the pass
// with no cabinet sendable; a matrix line of fewer than eleven inside a cabinet
// makes that cabinet and the ones after it unsendable (the cabinets before it
// were complete when a per-cabinet reading met the line). A cabinet takes at most
// w x h pixels.
class CabinetPacker : public LineSink
{
public:
    CabinetPacker(const QVector<storedimage::Cabinet> &cabinets, uint layout);
    bool take(const CalibrationLine &line) override;

    QVector<QByteArray> data; // per cabinet, in the order given
    int sendable = 0;         // the first `sendable` cabinets are complete
    qint64 failedLine = 0;    // the line that made a cabinet fail, 0 when none

private:
    void selectRow(int row);

    QVector<storedimage::Cabinet> m_cabinets;
    QVector<qint64> m_pixelsLeft;
    QVector<int> m_rowCabinets; // the cabinets that cover m_row
    int m_row = -1;
    bool m_rowValid = false;
    uint m_layout;
};

// The bytes of the cabinet `rect` cut row by row out of display data of width
// `width` in pixels of `pixelBytes` bytes; pixels beyond the data are left out.
QByteArray cutCabinet(const QByteArray &display, int width, int pixelBytes, const QRect &rect);

} // namespace ledwall::calibration
