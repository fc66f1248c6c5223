#pragma once
// The calibration text: one line per LED pixel, fields separated by ",":
//
//   col,row,r,g,b                                  three coefficients (5 fields)
//   col,row,m11,m12,m13,m21,m22,m23,m31,m32,m33    3 x 3 matrix (11 fields)
//
// CalibrationTextReader splits such text into lines and fields in one pass over
// blocks of any size, with no per-line allocation. Coordinates are read as
// QString::toInt reads them, coefficients as QString::toDouble does, bit for bit:
// simple decimals ("-0.1234") take a fast exact path, everything else (exponents,
// "+", spaces, long mantissas) goes through Qt itself. Whatever is no number
// counts as 0.
//
// Blank lines are skipped; a "\r" before the "\n" is dropped; the last line needs
// no newline. A line longer than MaxLineLength is reported as one without fields
// and ends the reading (a file of NUL bytes or a runaway line costs at most that).

#include <QByteArray>
#include <QtGlobal>

#include <array>

namespace ledwall::calibration
{

constexpr int MatrixFieldCount = 11;
constexpr int ThreeFieldCount = 5;
constexpr qsizetype MaxLineLength = 1024 * 1024;

// One line of the text. Fields past the eleventh are counted, not kept.
struct CalibrationLine {
    qint64 number = 0; // 1-based line number in the text
    int fieldCount = 0;
    bool overlong = false;
    int column = 0; // field 0 as an integer (0 when it is none)
    int row = 0;    // field 1 as an integer
    // Fields 2 .. 10 as numbers (0 where absent or not a number).
    std::array<double, MatrixFieldCount - 2> coefficients{};
};

// The value QString::toDouble gives for the field (0 for text that is none, and
// for NaN).
double coefficientValue(const char *begin, const char *end);
// The value QString::toInt gives for the field (0 when it is none).
int coordinateValue(const char *begin, const char *end);

// Receives the lines in text order; returns false to stop the reading.
class LineSink
{
public:
    virtual ~LineSink() = default;
    virtual bool take(const CalibrationLine &line) = 0;
};

class CalibrationTextReader
{
public:
    explicit CalibrationTextReader(LineSink &sink) : m_sink(sink) {}

    // The next bytes of the text, cut anywhere. False once the sink stopped the
    // reading or a line was too long; later calls do nothing.
    bool feed(const char *data, qsizetype size);
    bool feed(const QByteArray &bytes) { return feed(bytes.constData(), bytes.size()); }
    // The end of the text: hands over a last line without a newline.
    bool finish();

    bool stopped() const { return m_stopped; }
    qint64 lineCount() const { return m_lineNumber; }

private:
    // Parses the lines of [begin, end); *(end - 1) is a '\n'.
    void parseLines(const char *begin, const char *end);
    void reportOverlong();

    LineSink &m_sink;
    QByteArray m_carry; // the start of a line cut by a block boundary
    qint64 m_lineNumber = 0;
    bool m_stopped = false;
};

// The whole of a text held in memory.
void readCalibrationText(const QByteArray &text, LineSink &sink);

// judgeEncrypt's rule on the first line of a file: true when it is not plain
// calibration text (fewer than two fields, or a character other than a digit or
// "." in a field; a minus sign counts as foreign).
bool looksEncrypted(const QByteArray &firstLine);

} // namespace ledwall::calibration
