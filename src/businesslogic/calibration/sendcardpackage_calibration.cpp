// Calibration data of the sending-card object: the parameters, the file tests and
// the three extractions (the per-cabinet pass that also writes, the pieces held
// in memory, the whole display). The transfers are in
// sendcardpackage_calibrationtransfer.cpp, the file index in
// sendcardpackage_adjustdb.cpp.

#include "bll_businesslogic_sendcardpackage.h"

#include "bll_datacenter_desktop.h"
#include "calibrationfile.h"
#include "calibrationpacking.h"
#include "filepaths.h"

#include <QFile>
#include <QLoggingCategory>

QByteArray BLL_BusinessLogic_SendCardPackage::adjustCompanionData() const
{
    return ledwall::calibration::companionRecords(m_adjustCompanionRows);
}

namespace
{
Q_LOGGING_CATEGORY(lcCalibration, "ledwall.sendcard.calibration")

using namespace ledwall;
using namespace ledwall::calibration;

constexpr quint32 CalibrationCommand = 0x008000A1;
constexpr quint8 CalibrationWriteType = 0xCD;
constexpr quint32 NormalArea = 0xA0030000;
constexpr int ClassicTimeout = 1000;
constexpr int LoggedOffset = 2880; // where a cabinet's data is sampled into the log
constexpr int LoggedBytes = 24;

uint layoutOf(const QVariantMap &adjustParaMap)
{
    return adjustParaMap.value(QStringLiteral("adjen_type")).toUInt();
}

} // namespace

void BLL_BusinessLogic_SendCardPackage::setAdjustParaMap(QVariantMap params)
{
    m_displayMap.clear();
    m_adjustParaMap.clear();
    if (!params.value(QStringLiteral("isQuicklySend")).toBool())
        vBoxXYWHList.clear();
    for (const char *key : {"adjen_type", "sendBoxMap", "isNormalAdjustMode"}) {
        const QString k = QLatin1String(key);
        if (params.contains(k))
            m_adjustParaMap.insert(k, params.value(k));
    }
}

bool BLL_BusinessLogic_SendCardPackage::checkAdjustFile(QString path)
{
    // The URL prefixes go, a root "/" stays (file:///tmp/a is /tmp/a).
    QFile file(stripFileUrlPrefixes(path));
    if (!file.open(QIODevice::ReadOnly))
        return true;
    return file.size() != 0;
}

bool BLL_BusinessLogic_SendCardPackage::judgeEncrypt()
{
    QFile file(normalizeFilePath(m_adjustPath));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // One line, however long the file is: a line beyond the cap is no plain text.
    const QByteArray first = file.readLine(MaxLineLength);
    return looksEncrypted(first);
}

bool BLL_BusinessLogic_SendCardPackage::getAdjustData()
{
    FlashAccessDescriptor descriptor;
    descriptor.commandWord = CalibrationCommand;
    descriptor.recvAddress = NormalArea;
    descriptor.recvCommand = CalibrationWriteType;
    const QString guid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    const uint layout = layoutOf(m_adjustParaMap);
    if (layout != ThreeCoefficients && layout != Matrix) {
        qCDebug(lcCalibration) << "getAdjustData: no pixel coordinates for adjen_type" << layout;
        return false;
    }

    QVector<storedimage::Cabinet> cabinets;
    for (const QVariant &entry : qAsConst(vBoxXYWHList)) {
        storedimage::Cabinet cabinet;
        if (storedimage::parseCabinet(entry.toString(), &cabinet))
            cabinets.append(cabinet);
        else
            qCDebug(lcCalibration) << "getAdjustData: cabinet skipped:" << entry.toString();
    }
    // One reading of the file fills every cabinet.
    CabinetPacker packer(cabinets, layout);
    QString why;
    if (readCalibrationFile(normalizeFilePath(m_adjustPath), packer, &why) != FileReadStatus::Ok) {
        qCDebug(lcCalibration) << "getAdjustData: cannot read" << m_adjustPath << why;
        return false;
    }
    if (packer.failedLine != 0)
        qCDebug(lcCalibration) << "file error!!!!!"
                               << "line" << packer.failedLine;

    bool allWritten = packer.sendable == cabinets.size();
    for (int i = 0; i < packer.sendable; ++i) {
        const storedimage::Cabinet &cabinet = cabinets.at(i);
        const QByteArray &data = packer.data.at(i);
        qCDebug(lcCalibration) << "vBoxXYWHList" << i
                               << data.mid(LoggedOffset, LoggedBytes).toHex();
        if (data.isEmpty()) {
            qCDebug(lcCalibration) << "getAdjustData: no pixels for cabinet" << i;
            continue;
        }
        if (writeCalibrationBlock(guid, descriptor, storedimage::portAddress(cabinet.port),
                                  quint16(cabinet.card), data, ClassicTimeout) == 0)
            allWritten = false;
    }
    return allWritten;
}

QHash<QString, QVariant>
BLL_BusinessLogic_SendCardPackage::getAdjustDataByteArr(int width, int height, QByteArray text)
{
    qint64 failedLine = 0;
    QHash<QString, QVariant> table =
        pixelTable(text, width, height, layoutOf(m_adjustParaMap), &failedLine);
    if (failedLine != 0)
        qCDebug(lcCalibration) << "calibration piece: wrong field count on line" << failedLine
                               << "- kept" << table.size() << "pixels";
    return table;
}

QByteArray BLL_BusinessLogic_SendCardPackage::getDisplayAdjustDataByteArr(int width, int height)
{
    m_adjustCompanionRows.clear();
    DisplayPacker packer(width, height, layoutOf(m_adjustParaMap));
    QString why;
    if (readCalibrationFile(normalizeFilePath(m_adjustPath), packer, &why) != FileReadStatus::Ok) {
        qCDebug(lcCalibration) << "calibration file not read:" << m_adjustPath << why;
        return {};
    }
    if (packer.failed) {
        qCDebug(lcCalibration) << "calibration file: wrong field count on line"
                               << packer.failedLine;
        return {};
    }
    m_adjustCompanionRows = packer.takeCompanionRows();
    return packer.takeData();
}
