#include "registerfield.h"

#include <QRegularExpression>

namespace registerfield
{

bool parseHexBytes(const QString &text, QByteArray *bytes)
{
    QString digits;
    const QStringList parts =
        text.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    for (QString part : parts) {
        if (part.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            part = part.mid(2);
        // A lone digit is one byte.
        if (part.size() == 1)
            part.prepend(QLatin1Char('0'));
        digits += part;
    }
    if (digits.size() % 2 != 0)
        return false;
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]*$"));
    if (!hex.match(digits).hasMatch())
        return false;
    *bytes = QByteArray::fromHex(digits.toLatin1());
    return true;
}

bool parseField(const QString &text, int *high, int *low)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*\\[?\\s*(\\d{1,2})\\s*(?::\\s*(\\d{1,2})\\s*)?\\]?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    *high = match.captured(1).toInt();
    *low = match.captured(2).isEmpty() ? *high : match.captured(2).toInt();
    return *high >= *low;
}

int registerWidth(qint64 width)
{
    if (width <= 0)
        return 32;
    return width <= 63 ? static_cast<int>(width) : -1;
}

} // namespace registerfield
