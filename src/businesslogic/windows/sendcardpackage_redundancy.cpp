// Output port redundancy of the sending-card object: a backup port becomes a copy
// of its primary port (image windows, box positions in reverse order, DVI records),
// and both ports get their role words.
#include "bll_businesslogic_sendcardpackage.h"

#include "portwindows.h"
#include "windowpages.h"

#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcRedundancy, "ledwall.windows.redundancy")

using namespace ledwall::windows;

const char *const ImageOffKeys[DviInputs] = {"imageOff", "imageOff1", "imageOff2", "imageOff3"};
const char *const ImageAreaKeys[DviInputs] = {"imageArea", "imageArea1", "imageArea2",
                                              "imageArea3"};

bool isFourInput(const QVariantMap &entry)
{
    const QString primary = entry.value(QStringLiteral("primaryType")).toString();
    const QString backup = entry.value(QStringLiteral("backupType")).toString();
    return primary == backup &&
           (primary == QLatin1String("4k-AB_B_3D") || primary == QLatin1String("4k-AB_B"));
}
} // namespace

void BLL_BusinessLogic_SendCardPackage::setIpBoxNumMap(QString ip, QList<QVariant> boxList)
{
    bool ok = false;
    const int first = boxList.value(0).toByteArray().toInt(&ok, 16);
    qCDebug(lcRedundancy) << "boxList0: " << first << ", ok: " << ok;
    ipBoxNumMap.insert(ip, boxList);
    qCDebug(lcRedundancy) << "---logic_sendcardpackage------ipBoxNumMap: " << ipBoxNumMap;
}

QByteArray BLL_BusinessLogic_SendCardPackage::receivePosMirrorImage(QByteArray page,
                                                                    QString primaryIp,
                                                                    int primaryPort)
{
    const quint32 boxNum = boxPageCount(page);
    qCDebug(lcRedundancy) << "==================boxNum: " << boxNum << primaryIp << primaryPort
                          << ipBoxNumMap.size();
    bool ok = false;
    const int boxNumber =
        ipBoxNumMap.value(primaryIp).toList().value(primaryPort - 1).toByteArray().toInt(&ok, 16);
    qCDebug(lcRedundancy) << "----------boxNumber: " << boxNumber;
    // Without a stored count the page's own count says how many entries are boxes:
    // the padding and the count itself are never moved.
    const int boxes = ok && boxNumber > 0 ? boxNumber : int(qMin<quint32>(boxNum, MaxPageBoxes));
    return mirrorBoxPage(page, boxes);
}

bool BLL_BusinessLogic_SendCardPackage::sendRedundancyData(QMap<QString, QVariant> params)
{
    loadWindowAccess(params);
    const int portCount = params.value(QStringLiteral("scNetportNumber"), PortCount).toInt();
    qCDebug(lcRedundancy) << "sendRedundancyData--- scNetportNumber=" << portCount;
    bool all = true;
    for (const QVariant &entry : params.value(QStringLiteral("redundancyArr")).toList())
        all = writeRedundancyEntry(entry.toMap(), portCount) && all;
    return all;
}

bool BLL_BusinessLogic_SendCardPackage::writeRedundancyEntry(const QVariantMap &entry,
                                                             int portCount)
{
    const int p = entry.value(QStringLiteral("primaryPort")).toInt();
    const int b = entry.value(QStringLiteral("backupPort")).toInt();
    const QString backupGuid = entry.value(QStringLiteral("backupGuid")).toString();
    const QString primaryGuid = entry.value(QStringLiteral("primaryGuid")).toString();
    const QString primaryIp = entry.value(QStringLiteral("primaryIP")).toString();
    qCDebug(lcRedundancy) << "---------------------------------primaryPort: " << p;
    // Port pages exist for the card's ports only; another number would address the
    // pages of another port or another register block.
    const int ports = qMin(portCount, PortCount);
    if (p < 1 || p > ports || b < 1 || b > ports) {
        qCDebug(lcRedundancy) << "redundancy entry refused: ports" << p << b << "of" << ports;
        return false;
    }
    const QVariantMap display = m_allSCDisplayMap.value(primaryIp).toMap();
    qCDebug(lcRedundancy) << "-LLLLLLLLLLLL--m_allSCDisplayMap: " << m_allSCDisplayMap.keys();
    bool complete = true;

    // DVI image offsets and areas.
    QVector<int> inputs;
    if (!isFourInput(entry))
        inputs = {0};
    else if (entry.value(QStringLiteral("primaryInputWorkMode")).toInt() == 10)
        inputs = {1, 2, 3, 0};
    for (int k : qAsConst(inputs)) {
        const QByteArray off = display.value(QLatin1String(ImageOffKeys[k])).toByteArray().left(4);
        const QByteArray area =
            display.value(QLatin1String(ImageAreaKeys[k])).toByteArray().left(4);
        qCDebug(lcRedundancy) << "----------backupImageOffAreaArr" << k
                              << "---backupImageOffArr: " << off.toHex()
                              << ", backupImageAreaArr: " << area.toHex();
        if (off.size() != 4 || area.size() != 4) {
            qCDebug(lcRedundancy) << "no stored DVI record" << k << "for" << primaryIp;
            complete = false;
            continue;
        }
        const DviTarget a = *dviTarget(Bank::A, k);
        const DviTarget bTarget = *dviTarget(Bank::B, k);
        writeWindowPage(a.offset.operation, a.offset.address, off + area, backupGuid);
        writeWindowPage(bTarget.offset.operation, bTarget.offset.address, off, backupGuid);
        writeWindowPage(bTarget.area.operation, bTarget.area.address, area, backupGuid);
    }

    // The primary's pages, stored when its display data was read back.
    const QVariantList windowPages = display.value(QStringLiteral("pxImageWindow")).toList();
    const QVariantList boxPages = display.value(QStringLiteral("pxBoxPos")).toList();
    const QByteArray windows = windowPages.value(p - 1).toByteArray().left(PageSize);
    const QByteArray boxes = boxPages.value(p - 1).toByteArray().left(PageSize);
    if (windows.size() == PageSize) {
        qCDebug(lcRedundancy) << "backupWinArr" << windows.left(16).toHex();
        for (Bank bank : {Bank::A, Bank::B}) {
            const PageTarget target = imageWindowTarget(bank, b - 1);
            writeWindowPage(target.operation, target.address, windows, backupGuid);
        }
    } else {
        qCDebug(lcRedundancy) << "no stored image-window page of port" << p << "for" << primaryIp;
        complete = false;
    }
    if (boxes.size() == PageSize) {
        const QByteArray mirrored = receivePosMirrorImage(boxes, primaryIp, p);
        qCDebug(lcRedundancy) << "backupBoxPosArr" << mirrored.left(16).toHex();
        for (Bank bank : {Bank::A, Bank::B}) {
            const PageTarget target = boxPositionTarget(bank, b - 1);
            writeWindowPage(target.operation, target.address, mirrored, backupGuid);
        }
    } else {
        qCDebug(lcRedundancy) << "no stored box-position page of port" << p << "for" << primaryIp;
        complete = false;
    }

    // Port roles.
    const quint32 primaryWord = portRoleWord(portCount, p, true);
    const quint32 backupWord = portRoleWord(portCount, b, false);
    qCDebug(lcRedundancy) << "sendRedundancyData--- primarySa=" << primaryWord << Qt::hex
                          << primaryWord;
    qCDebug(lcRedundancy) << "sendRedundancyData--- backupPort=" << b
                          << "sendRedundancyData--- backupSa=" << backupWord << Qt::hex
                          << backupWord;
    for (Bank bank : {Bank::A, Bank::B}) {
        const PageTarget primary = roleWordTarget(bank, p);
        writeWindowPage(primary.operation, primary.address, bigEndian32(primaryWord), primaryGuid);
        const PageTarget backup = roleWordTarget(bank, b);
        writeWindowPage(backup.operation, backup.address, bigEndian32(backupWord), backupGuid);
    }
    return complete;
}
