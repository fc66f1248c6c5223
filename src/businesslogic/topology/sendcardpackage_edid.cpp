// EDID timings, the receiving-card tables of "rcFun.db" and the stored picture of
// the receiving cards: the sending-card object's side of them.
#include "bll_businesslogic_sendcardpackage.h"

#include "edidtable.h"
#include "filepaths.h"
#include "registermap.h"
#include "storedimage.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace
{
Q_LOGGING_CATEGORY(lcEdid, "ledwall.sendcard.edid")

using namespace ledwall;

constexpr quint32 StoredImageCommand = 0x008000A1;
constexpr quint8 ReceivingWriteType = 0xCD;
constexpr int StoredImageChunk = 1024;
constexpr int StoredImageTimeout = 5000;

// Runs sql on the default connection and files every row's column values under
// the key that keyOf gives for the row. The connection is added for "rcFun.db"
// beside the programs when there is none; an existing one is used as it is. It is
// closed again afterwards unless it was open already (then it belongs to someone
// else who still needs it).
template <typename KeyOf> QVariantMap readCardTable(const QString &sql, KeyOf keyOf)
{
    const QString connection = QLatin1String(QSqlDatabase::defaultConnection);
    QSqlDatabase db;
    if (QSqlDatabase::contains(connection)) {
        db = QSqlDatabase::database(connection, false);
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(QDir(applicationDirectory()).filePath(QStringLiteral("rcFun.db")));
    }
    const bool wasOpen = db.isOpen();
    if (!wasOpen) {
        // Opening a missing SQLite file would leave an empty database behind.
        const QString name = db.databaseName();
        if (db.driverName() == QLatin1String("QSQLITE") && name != QLatin1String(":memory:") &&
            !name.startsWith(QLatin1String("file:")) && !QFileInfo::exists(name)) {
            qCDebug(lcEdid) << "card function database not found:" << name;
            return {};
        }
        if (!db.open()) {
            qCDebug(lcEdid) << "cannot open the card function database" << db.databaseName()
                            << db.lastError().text();
            return {};
        }
    }

    QVariantMap result;
    {
        QSqlQueryModel model;
        model.setQuery(QSqlQuery(sql, db));
        if (model.lastError().isValid()) {
            qCDebug(lcEdid) << sql << model.lastError().text();
        } else {
            // The model fetches in batches; read every row, not just the first batch.
            while (model.canFetchMore())
                model.fetchMore();
            QString key = QStringLiteral("1");
            for (int row = 0; row < model.rowCount(); ++row) {
                const QSqlRecord record = model.record(row);
                QVariantList values;
                values.reserve(record.count());
                for (int column = 0; column < record.count(); ++column)
                    values.append(record.value(column));
                key = keyOf(record, key);
                result.insert(key, values);
            }
        }
        model.clear();
    }
    if (!wasOpen)
        db.close();
    return result;
}

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
    return readCardTable(QStringLiteral("select * from recvCardTab"),
                         [](const QSqlRecord &record, const QString &previous) {
                             const int column = record.indexOf(QStringLiteral("HexCode"));
                             return column < 0 ? previous : record.value(column).toString();
                         });
}

QVariantMap BLL_BusinessLogic_SendCardPackage::selectRecvCardFun(QVariantMap params)
{
    Q_UNUSED(params)
    return readCardTable(QStringLiteral("select * from rcFunTab"),
                         [](const QSqlRecord &record, const QString &previous) {
                             return record.count() > 0 ? record.value(0).toString() : previous;
                         });
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
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        qCDebug(lcEdid) << "stored image: cannot load" << path << reader.errorString();
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
    const QString guid = params.value(QStringLiteral("guid")).toString();
    qint64 sent = 0;
    quint32 lastAddress = 0;
    for (const storedimage::ImageWrite &write : writes) {
        descriptor.startAddress = write.portAddress;
        descriptor.recvWord1 = write.card;
        descriptor.recvWord2 = write.card;
        m_flashAccess = descriptor;
        lastAddress =
            writeRecvCardInfo(guid, write.data, StoredImageChunk, StoredImageTimeout, false);
        sent += storedimage::countedSize(write.data.size());
    }
    qCDebug(lcEdid) << "stored image:" << writes.size() << "writes," << sent << "bytes";

    QVariantMap done{{QStringLiteral("storedImaDataSize"), sent},
                     {QStringLiteral("result"), !writes.isEmpty()}};
    if (!writes.isEmpty()) {
        done.insert(QStringLiteral("last_m_regAddr"), writes.last().portAddress);
        done.insert(QStringLiteral("last_ltcpAddr_dst"), writes.last().card);
        done.insert(QStringLiteral("last_ltcpAddr_data"), lastAddress);
    }
    emit sig_readDevData(done);
}
