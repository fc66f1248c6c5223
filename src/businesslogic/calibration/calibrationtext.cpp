#include "calibrationtext.h"

#include <QList>
#include <QString>

#include <cmath>
#include <cstring>

namespace ledwall::calibration
{

namespace
{

// Powers of ten that a double holds exactly.
constexpr double ExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// Up to 15 digits the mantissa stays below 2^53: the double of the mantissa is
// exact and one division by an exact power of ten (at most 10^15 here) rounds
// correctly, which is what a correctly rounding decimal reader (Qt's) gives.
constexpr int MaxExactDigits = 15;
static_assert(MaxExactDigits < int(std::size(ExactPowersOfTen)), "an exact power for each");
constexpr int MaxFastCoordinateDigits = 9;

inline bool isFieldEnd(const char *p)
{
    return *p == ',' || *p == '\n' || (*p == '\r' && p[1] == '\n');
}

inline unsigned digitOf(char c)
{
    return unsigned(quint8(c)) - unsigned('0');
}

double slowCoefficient(const char *begin, const char *end)
{
    const double value = QString::fromLatin1(begin, int(end - begin)).toDouble();
    return std::isnan(value) ? 0.0 : value;
}

int slowCoordinate(const char *begin, const char *end)
{
    return QString::fromLatin1(begin, int(end - begin)).toInt();
}

// A field that starts at p: "-?digits(.digits)?" ending at a field end. Sets *end
// to where the field ends and returns true with *value when the fast path applies.
inline bool fastCoefficient(const char *p, double *value, const char **end)
{
    const bool negative = *p == '-';
    p += negative;
    // At most MaxExactDigits digits in all keep the mantissa exact; longer fields
    // (and any overflow of it) take the slow path.
    quint64 mantissa = 0;
    const char *digits = p;
    for (unsigned d; (d = digitOf(*p)) <= 9; ++p)
        mantissa = mantissa * 10 + d;
    int count = int(p - digits);
    if (count == 0)
        return false;
    int fraction = 0;
    if (*p == '.') {
        const char *fractionDigits = ++p;
        for (unsigned d; (d = digitOf(*p)) <= 9; ++p)
            mantissa = mantissa * 10 + d;
        fraction = int(p - fractionDigits);
        count += fraction;
        if (fraction == 0)
            return false;
    }
    if (count > MaxExactDigits || !isFieldEnd(p))
        return false;
    // The sign goes in as a bit, not by a branch: signs in a file are as good as
    // random, and a mispredicted branch costs more than the rest of the field.
    const double magnitude = double(mantissa) / ExactPowersOfTen[fraction];
    quint64 bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    bits |= quint64(negative) << 63;
    std::memcpy(value, &bits, sizeof bits);
    *end = p;
    return true;
}

inline bool fastCoordinate(const char *p, int *value, const char **end)
{
    const bool negative = *p == '-';
    p += negative;
    const char *digits = p;
    int number = 0;
    for (unsigned d; (d = digitOf(*p)) <= 9 && p - digits < MaxFastCoordinateDigits; ++p)
        number = number * 10 + int(d);
    if (p == digits || !isFieldEnd(p))
        return false;
    *value = negative ? -number : number;
    *end = p;
    return true;
}

inline const char *fieldEnd(const char *p)
{
    while (!isFieldEnd(p))
        ++p;
    return p;
}

} // namespace

namespace
{

// A field on its own: the fast path needs a field end behind the digits.
template <typename T>
T fieldValue(const char *begin, const char *end, bool (*fast)(const char *, T *, const char **),
             T (*slow)(const char *, const char *))
{
    const qsizetype size = end - begin;
    if (size > 0 && size < 64) {
        char field[65];
        std::memcpy(field, begin, size_t(size));
        field[size] = '\n';
        T value{};
        const char *stop = nullptr;
        if (fast(field, &value, &stop) && stop == field + size)
            return value;
    }
    return slow(begin, end);
}

} // namespace

double coefficientValue(const char *begin, const char *end)
{
    return fieldValue<double>(begin, end, fastCoefficient, slowCoefficient);
}

int coordinateValue(const char *begin, const char *end)
{
    return fieldValue<int>(begin, end, fastCoordinate, slowCoordinate);
}

namespace
{

// One field at p, by the fast path or Qt's; returns where the field ends.
template <typename T>
inline const char *parsedField(const char *p, T *value,
                               bool (*fast)(const char *, T *, const char **),
                               T (*slow)(const char *, const char *))
{
    const char *stop = nullptr;
    if (fast(p, value, &stop))
        return stop;
    stop = fieldEnd(p);
    *value = slow(p, stop);
    return stop;
}

// Fields of the line at p into `line`; returns the line's end ('\r' or '\n').
inline const char *parseFields(const char *p, CalibrationLine &line)
{
    line.column = line.row = 0;
    line.coefficients.fill(0.0);
    line.fieldCount = 1;
    p = parsedField(p, &line.column, fastCoordinate, slowCoordinate);
    if (*p != ',')
        return p;
    ++line.fieldCount;
    p = parsedField(p + 1, &line.row, fastCoordinate, slowCoordinate);
    for (double &coefficient : line.coefficients) {
        if (*p != ',')
            return p;
        ++line.fieldCount;
        p = parsedField(p + 1, &coefficient, fastCoefficient, slowCoefficient);
    }
    while (*p == ',') { // fields beyond the matrix: counted only
        ++line.fieldCount;
        p = fieldEnd(p + 1);
    }
    return p;
}

} // namespace

void CalibrationTextReader::parseLines(const char *p, const char *end)
{
    CalibrationLine line;
    while (p < end && !m_stopped) {
        ++m_lineNumber;
        if (*p == '\n' || (*p == '\r' && p[1] == '\n')) { // blank line
            p += *p == '\r' ? 2 : 1;
            continue;
        }
        line.number = m_lineNumber;
        p = parseFields(p, line);
        p += *p == '\r' ? 2 : 1; // past "\r\n" or "\n"
        if (!m_sink.take(line))
            m_stopped = true;
    }
}

void CalibrationTextReader::reportOverlong()
{
    CalibrationLine line;
    line.number = ++m_lineNumber;
    line.overlong = true;
    m_sink.take(line);
    m_stopped = true;
    m_carry.clear();
}

bool CalibrationTextReader::feed(const char *data, qsizetype size)
{
    if (m_stopped || size <= 0)
        return !m_stopped;
    const char *end = data + size;
    if (!m_carry.isEmpty()) {
        // Complete the line begun in an earlier block.
        const char *newline = static_cast<const char *>(std::memchr(data, '\n', size_t(size)));
        const char *take = newline ? newline + 1 : end;
        if (m_carry.size() + (take - data) > MaxLineLength + 1) {
            reportOverlong();
            return false;
        }
        m_carry.append(data, int(take - data));
        if (!newline)
            return true;
        parseLines(m_carry.constData(), m_carry.constData() + m_carry.size());
        m_carry.clear();
        data = take;
    }
    const char *lastNewline = data;
    for (const char *p = end; p > data; --p) {
        if (p[-1] == '\n') {
            lastNewline = p;
            break;
        }
    }
    if (lastNewline > data)
        parseLines(data, lastNewline);
    if (m_stopped)
        return false;
    if (end - lastNewline > MaxLineLength) {
        reportOverlong();
        return false;
    }
    m_carry.append(lastNewline, int(end - lastNewline));
    return true;
}

bool CalibrationTextReader::finish()
{
    if (m_stopped)
        return false;
    if (!m_carry.isEmpty()) {
        m_carry.append('\n');
        parseLines(m_carry.constData(), m_carry.constData() + m_carry.size());
        m_carry.clear();
    }
    return !m_stopped;
}

void readCalibrationText(const QByteArray &text, LineSink &sink)
{
    CalibrationTextReader reader(sink);
    if (reader.feed(text))
        reader.finish();
}

bool looksEncrypted(const QByteArray &firstLine)
{
    QByteArray line = firstLine;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const QList<QByteArray> fields = line.split(',');
    if (fields.size() < 2)
        return true;
    for (const QByteArray &field : fields) {
        for (const char c : field) {
            if (!(c == '.' || (c >= '0' && c <= '9')))
                return true;
        }
    }
    return false;
}

} // namespace ledwall::calibration
