#include "mifformat.h"

#include "datacenterlog.h"

#include <QRegularExpression>
#include <QStringList>

namespace mifformat
{

namespace
{

int radixBase(const QString &radix)
{
    if (radix == QLatin1String("HEX"))
        return 16;
    if (radix == QLatin1String("DEC") || radix == QLatin1String("UNS"))
        return 10;
    if (radix == QLatin1String("OCT"))
        return 8;
    if (radix == QLatin1String("BIN"))
        return 2;
    return 0;
}

// Text without "--" line comments and "% ... %" block comments.
QString withoutComments(const QString &text)
{
    QString result;
    result.reserve(text.size());
    bool inBlock = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inBlock) {
            if (c == QLatin1Char('%'))
                inBlock = false;
            continue;
        }
        if (c == QLatin1Char('%')) {
            inBlock = true;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('-')) {
            while (i < text.size() && text.at(i) != QLatin1Char('\n'))
                ++i;
            result.append(QLatin1Char('\n'));
            continue;
        }
        result.append(c);
    }
    return result;
}

// The non-empty ";"-terminated statements of a section, blanks simplified.
QStringList statementsOf(const QString &section)
{
    QStringList result;
    for (const QString &part : section.split(QLatin1Char(';'))) {
        const QString statement = part.simplified();
        if (!statement.isEmpty())
            result.append(statement);
    }
    return result;
}

bool parseNumber(const QString &text, int base, quint64 *value)
{
    bool ok = false;
    *value = text.toULongLong(&ok, base);
    return ok;
}

QVariantMap fail(const char *why)
{
    qCDebug(lcDataCenter) << "mif file:" << why;
    return {};
}

} // namespace

QVariantMap decode(const QByteArray &bytes)
{
    const QString text =
        withoutComments(QString::fromLatin1(bytes.constData(), bytes.size())).toUpper();
    const int contentAt =
        text.indexOf(QRegularExpression(QStringLiteral("\\bCONTENT\\s+BEGIN\\b")));
    if (contentAt < 0)
        return fail("no CONTENT BEGIN");
    const int beginAt = text.indexOf(QLatin1String("BEGIN"), contentAt);
    const int endAt = text.lastIndexOf(QRegularExpression(QStringLiteral("\\bEND\\s*;")));
    if (endAt < beginAt)
        return fail("no END");

    // Header: "NAME = value;" statements.
    int depth = -1;
    int width = -1;
    QString addressRadix = QStringLiteral("HEX");
    QString dataRadix = QStringLiteral("HEX");
    for (const QString &statement : statementsOf(text.left(contentAt))) {
        const int equals = statement.indexOf(QLatin1Char('='));
        if (equals < 0)
            return fail("bad header statement");
        const QString name = statement.left(equals).trimmed();
        const QString value = statement.mid(equals + 1).trimmed();
        bool ok = true;
        if (name == QLatin1String("DEPTH"))
            depth = value.toInt(&ok);
        else if (name == QLatin1String("WIDTH"))
            width = value.toInt(&ok);
        else if (name == QLatin1String("ADDRESS_RADIX"))
            addressRadix = value;
        else if (name == QLatin1String("DATA_RADIX"))
            dataRadix = value;
        else
            return fail("unknown header statement");
        if (!ok)
            return fail("bad number in the header");
    }
    if (depth < 1 || depth > maxDepth)
        return fail("DEPTH missing or out of range");
    if (width < 1 || width > maxWidth)
        return fail("WIDTH missing or out of range");
    const int addressBase = radixBase(addressRadix);
    const int dataBase = radixBase(dataRadix);
    if (!addressBase || !dataBase)
        return fail("unknown radix");
    const quint64 widest = (quint64(1) << width) - 1;

    QVector<qint64> words(depth, 0);
    for (const QString &statement : statementsOf(text.mid(beginAt + 5, endAt - beginAt - 5))) {
        const int colon = statement.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return fail("content line without ':'");
        const QString address = statement.left(colon).remove(QLatin1Char(' '));
        const QStringList values =
            statement.mid(colon + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (values.isEmpty())
            return fail("content line without a word");
        quint64 first = 0;
        quint64 last = 0;
        if (address.startsWith(QLatin1Char('['))) {
            const QStringList range = address.mid(1, address.size() - 2).split(QLatin1String(".."));
            if (!address.endsWith(QLatin1Char(']')) || range.size() != 2 ||
                !parseNumber(range.at(0), addressBase, &first) ||
                !parseNumber(range.at(1), addressBase, &last) || last < first || values.size() != 1)
                return fail("bad address range");
        } else {
            if (!parseNumber(address, addressBase, &first))
                return fail("bad address");
            last = first + quint64(values.size()) - 1;
        }
        if (last >= quint64(depth))
            return fail("address past DEPTH");
        for (quint64 a = first; a <= last; ++a) {
            quint64 word = 0;
            const QString &digits = values.at(values.size() == 1 ? 0 : int(a - first));
            if (!parseNumber(digits, dataBase, &word) || word > widest)
                return fail("bad word");
            words[int(a)] = qint64(word);
        }
    }

    QVariantList list;
    list.reserve(depth);
    for (qint64 word : qAsConst(words))
        list.append(word);
    return {{QStringLiteral("depth"), depth},
            {QStringLiteral("width"), width},
            {QStringLiteral("addressRadix"), addressRadix},
            {QStringLiteral("dataRadix"), dataRadix},
            {QStringLiteral("values"), list}};
}

QByteArray encode(const QVariantList &values, int width)
{
    width = qBound(1, width, maxWidth);
    const int digits = (width + 3) / 4;
    const int addressDigits = qMax(1, QString::number(qMax(0, values.size() - 1), 16).size());
    const quint64 widest = (quint64(1) << width) - 1;
    QByteArray text;
    text += "-- LedWall HDR gamma table\n";
    text += "DEPTH = " + QByteArray::number(values.size()) + ";\n";
    text += "WIDTH = " + QByteArray::number(width) + ";\n";
    text += "ADDRESS_RADIX = HEX;\nDATA_RADIX = HEX;\nCONTENT\nBEGIN\n";
    for (int i = 0; i < values.size(); ++i) {
        const quint64 word = quint64(qMax<qint64>(0, values.at(i).toLongLong())) & widest;
        text += "    " + QByteArray::number(i, 16).toUpper().rightJustified(addressDigits, '0') +
                " : " + QByteArray::number(word, 16).toUpper().rightJustified(digits, '0') + ";\n";
    }
    text += "END;\n";
    return text;
}

} // namespace mifformat
