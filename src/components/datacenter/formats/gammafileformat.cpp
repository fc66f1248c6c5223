#include "gammafileformat.h"

#include "datacenterlog.h"

#include <QStringList>

#include <cmath>

namespace gammafile
{

QByteArray encodeHexEntries(const QVariantList &values, int digits)
{
    QByteArray text;
    text.reserve(values.size() * (digits + 3));
    for (const QVariant &value : values) {
        text += QByteArray::number(value.toULongLong(), 16).toUpper().rightJustified(digits, '0');
        text += ",\r\n";
    }
    return text;
}

bool decodeHexEntries(const QByteArray &text, QVariantList *values)
{
    values->clear();
    QByteArray normalised = text;
    normalised.replace("\r\n", "\n");
    const QList<QByteArray> parts = normalised.split('\n');
    // Every entry but the last one ends in ","; the last part is what follows
    // the final separator and is ignored.
    QVariantList result;
    for (int i = 0; i + 1 < parts.size(); ++i) {
        const QByteArray part = parts.at(i).trimmed();
        if (!part.endsWith(',')) {
            qCDebug(lcDataCenter) << "gamma entry" << i << "without its separator";
            return false;
        }
        bool ok = false;
        const qulonglong value = part.left(part.size() - 1).trimmed().toULongLong(&ok, 16);
        if (!ok || part.size() < 2) {
            qCDebug(lcDataCenter) << "gamma entry" << i << "is not hexadecimal:" << part;
            return false;
        }
        if (result.size() >= maxEntries) {
            qCDebug(lcDataCenter) << "gamma file holds more than" << maxEntries << "entries";
            return false;
        }
        result.append(value);
    }
    if (result.isEmpty()) {
        qCDebug(lcDataCenter) << "gamma file holds no entry";
        return false;
    }
    *values = result;
    return true;
}

QVariantList pointsFromValues(const QVariantList &values)
{
    QVariantList points;
    points.reserve(values.size());
    for (int i = 0; i < values.size(); ++i)
        points.append(QVariantMap{{QStringLiteral("x"), i}, {QStringLiteral("y"), values.at(i)}});
    return points;
}

bool valuesFromTable(const QVariantList &table, QVariantList *values)
{
    values->clear();
    if (table.size() > maxEntries)
        return false;
    QVariantList result;
    result.reserve(table.size());
    for (const QVariant &entry : table) {
        const QVariant value = entry.userType() == QMetaType::QVariantMap
                                   ? entry.toMap().value(QStringLiteral("y"))
                                   : entry;
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok || number < 0)
            return false;
        result.append(number);
    }
    *values = result;
    return true;
}

CurveDefaults curveDefaults(ChipFamily family)
{
    switch (family) {
    case ChipFamily::ICN2053:
        return {16, 256};
    case ChipFamily::FM6363:
        return {14, 1024};
    case ChipFamily::FM6565:
        return {13, 256};
    case ChipFamily::CNS7263:
        return {16, 1024};
    }
    return {16, 256};
}

QVariantList chipGammaCurve(ChipFamily family, const QVariantMap &request)
{
    const CurveDefaults defaults = curveDefaults(family);
    auto number = [&request](const char *key, double fallback, bool *ok) {
        const QVariant value = request.value(QLatin1String(key));
        if (!value.isValid()) {
            *ok = true;
            return fallback;
        }
        return value.toDouble(ok);
    };
    bool okGamma = false, okBits = false, okMax = false, okPoints = false;
    const double gamma = number("gamma", 2.2, &okGamma);
    const double bitsValue = number("bits", defaults.bits, &okBits);
    const double pointsValue = number("points", defaults.points, &okPoints);
    if (!okGamma || !okBits || !okPoints || !(gamma >= 0.1 && gamma <= 10.0) ||
        !(bitsValue >= 1 && bitsValue <= 16) || !(pointsValue >= 2 && pointsValue <= 65536)) {
        qCDebug(lcDataCenter) << "chip gamma request out of range:" << request;
        return {};
    }
    const int bits = int(bitsValue);
    const int points = int(pointsValue);
    const double top = double((1 << bits) - 1);
    const double maxGray = qBound(0.0, number("maxGray", top, &okMax), top);
    if (!okMax) {
        qCDebug(lcDataCenter) << "chip gamma request with a bad maxGray:" << request;
        return {};
    }
    QVariantList curve;
    curve.reserve(points);
    for (int i = 0; i < points; ++i) {
        const double y = std::round(maxGray * std::pow(double(i) / (points - 1), gamma));
        curve.append(QVariantMap{{QStringLiteral("x"), i}, {QStringLiteral("y"), int(y)}});
    }
    return curve;
}

} // namespace gammafile
