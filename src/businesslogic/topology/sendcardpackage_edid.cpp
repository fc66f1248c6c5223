// EDID timings, the receiving-card tables and the stored picture of the receiving
// cards: the sending-card object's side of them.
#include "bll_businesslogic_sendcardpackage.h"

#include "bll_datacenter_desktop.h"
#include "cardtables.h"
#include "edidtable.h"
#include "filepaths.h"
#include "registermap.h"
#include "storedimage.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>

namespace
{
Q_LOGGING_CATEGORY(lcEdid, "ledwall.sendcard.edid")

using namespace ledwall;

constexpr quint32 StoredImageCommand = 0x008000A1;
constexpr quint8 ReceivingWriteType = 0xCD;
constexpr int StoredImageChunk = 1024;
constexpr int StoredImageTimeout = 5000;

QVariantMap storedImageFailure()
{
    return {{QStringLiteral("storedImaDataSize"), 0}, {QStringLiteral("result"), false}};
}

} // namespace

QVariantMap BLL_BusinessLogic_SendCardPackage::selectEdidData(QVariantMap params)
{
    return edid::selectEdidData(params);
}

QVariantMap BLL_BusinessLogic_SendCardPackage::selectRecvCardTab()
{
    return cardtables::readReceivingCardModels();
}

QVariantMap BLL_BusinessLogic_SendCardPackage::selectRecvCardFun(QVariantMap params)
{
    Q_UNUSED(params)
    return cardtables::readCardFunctions();
}

void BLL_BusinessLogic_SendCardPackage::sendStoredImagesData(QString path, QVariantMap params,
                                                             bool flag)
{
    if (path.isEmpty())
        return;
    m_workers.start([this, path, params, flag] { td_sendStoredImagesData(path, params, flag); });
}

void BLL_BusinessLogic_SendCardPackage::td_sendStoredImagesData(QString path, QVariantMap params,
                                                                bool flag)
{
    FlashAccessDescriptor descriptor;
    if (params.contains(QStringLiteral("m_cardSlotNum")) &&
        params.contains(QStringLiteral("m_portNum"))) {
        descriptor.slot = quint8(params.value(QStringLiteral("m_cardSlotNum")).toUInt());
        descriptor.port = quint8(params.value(QStringLiteral("m_portNum")).toUInt());
    }

    QImageReader reader(normalizeFilePath(path));
    QString error;
    const QImage picture = storedimage::readPicture(reader, &error);
    if (picture.isNull()) {
        qCDebug(lcEdid) << "stored image: cannot load" << path << error;
        emit sig_readDevData(storedImageFailure());
        return;
    }
    const QVariantList cabinets = vBoxXYWHList;
    const QSize size = storedimage::canvasSize(params, cabinets);
    if (!size.isValid()) {
        qCDebug(lcEdid) << "stored image: no usable canvas size" << params;
        emit sig_readDevData(storedImageFailure());
        return;
    }
    const QImage canvas = storedimage::composeCanvas(
        picture, size, params.value(QStringLiteral("imageEffects")).toInt());
    const QVector<storedimage::ImageWrite> writes = storedimage::planWrites(canvas, cabinets, flag);
    if (flag && writes.size() != cabinets.size())
        qCDebug(lcEdid) << "stored image:" << cabinets.size() - writes.size()
                        << "cabinets with an unusable rectangle left out";

    descriptor.commandWord = StoredImageCommand;
    descriptor.recvCommand = ReceivingWriteType;
    descriptor.recvAddress = registers::StoredPicture;
    // The picture goes to the device the user is working with, not to one a request
    // names: the data center's current device.
    const QString guid = BLL_DataCenter_Desktop::instance()->getCurrentGuid();
    qint64 sent = 0;
    int written = 0;
    quint32 lastAddress = 0;
    const storedimage::ImageWrite *lastWrite = nullptr;
    for (const storedimage::ImageWrite &write : writes) {
        descriptor.startAddress = write.portAddress;
        descriptor.recvWord1 = write.card;
        descriptor.recvWord2 = write.card;
        m_flashAccess = descriptor;
        const quint32 address =
            writeRecvCardInfo(guid, write.data, StoredImageChunk, StoredImageTimeout, false);
        if (address == 0)
            continue; // refused: counts for nothing
        lastAddress = address;
        lastWrite = &write;
        ++written;
        sent += storedimage::countedSize(write.data.size());
    }
    qCDebug(lcEdid) << "stored image:" << written << "of" << writes.size() << "writes," << sent
                    << "bytes";

    // Done only when every planned write was taken.
    QVariantMap done{{QStringLiteral("storedImaDataSize"), sent},
                     {QStringLiteral("result"), written > 0 && written == writes.size()}};
    if (lastWrite) {
        done.insert(QStringLiteral("last_m_regAddr"), lastWrite->portAddress);
        done.insert(QStringLiteral("last_ltcpAddr_dst"), lastWrite->card);
        done.insert(QStringLiteral("last_ltcpAddr_data"), lastAddress);
    }
    emit sig_readDevData(done);
}
