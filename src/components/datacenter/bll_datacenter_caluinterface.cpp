#include "bll_datacenter_caluinterface.h"

#include "datacenterlog.h"
#include "registerfield.h"

namespace
{

// The mask and lowest bit of a bit field inside a register of `width` bits;
// false (logged) when the field, the width or the register value is unusable.
bool resolveField(const QString &field, qint64 regValue, qint64 width, quint64 *mask, int *low,
                  int *bits)
{
    int high = 0;
    *bits = registerfield::registerWidth(width);
    if (!registerfield::parseField(field, &high, low) || *bits < 0 || high >= *bits ||
        regValue < 0) {
        qCDebug(lcDataCenter) << "register field unusable:" << field << regValue << width;
        return false;
    }
    *mask = ((quint64(1) << (high - *low + 1)) - 1) << *low;
    return true;
}

} // namespace

qint64 BLL_DataCenter_CaluInterface::CaluCHECK_SUM(QString bytes, qint64 length)
{
    QByteArray data;
    if (!registerfield::parseHexBytes(bytes, &data)) {
        qCDebug(lcDataCenter) << "check sum: not hex bytes:" << bytes;
        return -1;
    }
    const qint64 count = (length <= 0 || length > data.size()) ? data.size() : length;
    quint32 sum = 0;
    for (qint64 i = 0; i < count; ++i)
        sum += static_cast<quint8>(data.at(static_cast<int>(i)));
    return sum & 0xFFFF;
}

qint64 BLL_DataCenter_CaluInterface::CaluREGValue(QString field, qint64 regValue, qint64 fieldValue,
                                                  qint64 width)
{
    quint64 mask = 0;
    int low = 0;
    int bits = 0;
    if (!resolveField(field, regValue, width, &mask, &low, &bits))
        return -1;
    const quint64 registerMask = (quint64(1) << bits) - 1;
    const quint64 value =
        (quint64(regValue) & registerMask & ~mask) | ((quint64(fieldValue) << low) & mask);
    return static_cast<qint64>(value);
}

qint64 BLL_DataCenter_CaluInterface::getParamValue(QString field, qint64 regValue, qint64 width)
{
    quint64 mask = 0;
    int low = 0;
    int bits = 0;
    if (!resolveField(field, regValue, width, &mask, &low, &bits))
        return -1;
    return static_cast<qint64>((quint64(regValue) & mask) >> low);
}
