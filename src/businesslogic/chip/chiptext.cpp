#include "chiptext.h"

namespace ledwall::chip
{

namespace
{

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Walks the entries before the last ",", calling take(value) for each; false at
// the first entry that is empty, not hexadecimal or above `maxValue`, with its
// number in *badEntry.
template <typename Take>
bool forEachHexEntry(const QByteArray &text, quint32 maxValue, Take take, int *badEntry)
{
    const char *p = text.constData();
    const char *end = p + text.size();
    const char *lastComma = end;
    while (lastComma != p && *(lastComma - 1) != ',')
        --lastComma;
    if (lastComma == p)
        return true; // no separator: no entries
    end = lastComma - 1;
    int entry = 0;
    while (p <= end) {
        while (p < end && isBlank(*p))
            ++p;
        quint64 value = 0;
        int digits = 0;
        for (; p < end && *p != ','; ++p) {
            const int d = hexDigitValue(*p);
            if (d < 0)
                break;
            value = value * 16 + quint64(d);
            if (value > maxValue)
                break;
            ++digits;
        }
        while (p < end && isBlank(*p))
            ++p;
        if (digits == 0 || (p < end && *p != ',')) {
            *badEntry = entry;
            return false;
        }
        take(quint32(value));
        ++p; // the separator
        ++entry;
    }
    return true;
}

QByteArray hexText(quint32 value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

} // namespace

ParsedImage parseRegisterText(const QByteArray &text)
{
    ParsedImage parsed;
    if (text.size() > MaxRegisterTextSize) {
        parsed.error =
            QStringLiteral("register text larger than %1 bytes").arg(MaxRegisterTextSize);
        return parsed;
    }
    parsed.image.reserve(text.size() / 2);
    int bad = -1;
    const bool ok = forEachHexEntry(
        text, 0xFFFF,
        [&](quint32 word) {
            parsed.image.append(char(word & 0xFF));
            parsed.image.append(char(word >> 8));
        },
        &bad);
    if (!ok) {
        parsed.image.clear();
        parsed.error = QStringLiteral("entry %1 is not a 16-bit hexadecimal word").arg(bad + 1);
        return parsed;
    }
    parsed.ok = true;
    return parsed;
}

QString byteHex(int byte)
{
    return QString::number(byte & 0xFF, 16).rightJustified(2, QLatin1Char('0'));
}

QString registerText(const QByteArray &image)
{
    QString text;
    text.reserve(image.size() / 2 * 5);
    for (int i = 0; i + 1 < image.size(); i += 2)
        text += byteHex(uchar(image[i + 1])) + byteHex(uchar(image[i])) + QLatin1Char(',');
    return text;
}

QByteArray defaultFileText(const QByteArray &image)
{
    QByteArray text;
    text.reserve(image.size() / 2 * 7);
    for (int i = 0; i + 1 < image.size(); i += 2) {
        const quint32 word = uchar(image[i]) | (quint32(uchar(image[i + 1])) << 8);
        text += QByteArray::number(word, 16).rightJustified(4, '0') + ",\r\n";
    }
    return text;
}

unsigned char byteOfWord(quint32 value, int index)
{
    if (index < 0 || index > 3)
        return 0;
    return static_cast<unsigned char>(value >> (8 * (3 - index)));
}

QString listText(const QVector<double> &values)
{
    QString text;
    for (double value : values)
        text += QString::number(value, 'g', 15) + QLatin1Char(':');
    return text;
}

QString listText(const QVector<int> &values, int base)
{
    QString text;
    for (int value : values)
        text += QString::number(value, base) + QLatin1Char(':');
    return text;
}

QByteArray wordLines(const unsigned char *data, int length, int unitBytes)
{
    QByteArray text;
    const int count = length > 0 ? length / unitBytes : 0;
    text.reserve(count * (2 * unitBytes + 3));
    for (int i = 0; i < count; ++i) {
        const unsigned char *at = data + i * unitBytes;
        quint32 value = 0;
        for (int b = unitBytes - 1; b >= 0; --b)
            value = (value << 8) | at[b];
        text += hexText(value, 2 * unitBytes) + ",\r\n";
    }
    return text;
}

QByteArray valueLines(const QVector<quint16> &values, int digits)
{
    QByteArray text;
    for (quint16 value : values)
        text += hexText(value, digits) + ",\r\n";
    return text;
}

namespace
{

QByteArray headerLines(int bits, int subFrames, int third)
{
    return hexText(quint32(bits) & 0xFF, 2) + ",\r\n" + hexText(quint32(subFrames) & 0xFF, 2) +
           ",\r\n" + hexText(quint32(third) & 0xFF, 2) + ",\r\n";
}

QByteArray tableRows(int bits, int subFrames, const QByteArray &table)
{
    QByteArray text;
    for (int s = 0; s < subFrames; ++s) {
        for (int b = 0; b < bits; ++b) {
            const int at = s * bits + b;
            text += hexText(at < table.size() ? uchar(table[at]) : 0, 2) + ',';
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

QByteArray bitTableText(int bits, int subFrames, int third, const QByteArray &table)
{
    return headerLines(bits, subFrames, third) + tableRows(bits, subFrames, table);
}

QByteArray controlText(int bits, int subFrames, int third, int value1, int value2,
                       const QByteArray &table, const QVector<quint16> &words)
{
    QByteArray text = headerLines(bits, subFrames, third);
    text +=
        hexText(quint32(value1) & 0xFF, 2) + "\r\n" + hexText(quint32(value2) & 0xFF, 2) + "\r\n";
    text += tableRows(bits, subFrames, table);
    for (quint16 word : words)
        text += hexText(word, 4) + ',';
    text += "\r\n";
    return text;
}

QByteArray fileDataBytes(const QByteArray &text, int mode, int width, bool *ok)
{
    const int unit = mode == 0 ? 1 : (mode == 2 && width == 8 ? 4 : 2);
    const quint32 maxValue = unit == 4 ? 0xFFFFFFFFu : (1u << (8 * unit)) - 1;
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    int bad = -1;
    const bool parsed = forEachHexEntry(
        text, maxValue,
        [&](quint32 value) {
            for (int b = unit - 1; b >= 0; --b)
                bytes.append(char((value >> (8 * b)) & 0xFF));
        },
        &bad);
    if (ok)
        *ok = parsed;
    if (!parsed)
        return {};
    if (mode == 2 && bytes.size() % 4)
        bytes.append(4 - bytes.size() % 4, '\0');
    return bytes;
}

} // namespace ledwall::chip
