#include "upgradefile.h"

#include "armframe.h"
#include "checksums.h"

#include <QStringList>

namespace ledwall::upgrade
{

using arm::readU32;
using arm::writeU32;

namespace
{
const char MagicText[] = "--------QUORVANTE_RECEIVE_CARD_UPGRADE_FILE---------";
const unsigned char McuMagic[McuMagicSize] = {0x57, 0x59, 0xAD, 0xA8, 0x5C, 0xBB, 0x40, 0x77,
                                              0x92, 0xD9, 0x8D, 0xFB, 0x63, 0x14, 0x5A, 0xE7};

// Copies at most size bytes of text into a zero-filled field.
void writeField(QByteArray &bytes, int offset, int size, const QByteArray &text)
{
    const int count = qMin(size, int(text.size()));
    for (int i = 0; i < count; ++i)
        bytes[offset + i] = text.at(i);
}

// Text of a zero-padded field: its bytes up to the first zero, within the field.
QString fieldText(const QByteArray &bytes, int offset, int size)
{
    const int available = qBound(0, int(bytes.size()) - offset, size);
    const QByteArray field = bytes.mid(offset, available);
    const int zero = field.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? field : field.left(zero));
}

quint32 payloadCrc(const QByteArray &file)
{
    return checksums::crc32(file, file.size(), HeaderSize);
}
} // namespace

QByteArray magic()
{
    return QByteArray(MagicText);
}

QByteArray mcuMagic()
{
    return QByteArray(reinterpret_cast<const char *>(McuMagic), McuMagicSize);
}

QString errorName(int value)
{
    switch (value) {
    case ReceFileNoError:
        return QStringLiteral("ReceFileNoError");
    case ReceFileHeadFlagError:
        return QStringLiteral("ReceFileHeadFlagError");
    case ReceFileCardTypeError:
        return QStringLiteral("ReceFileCardTypeError");
    case ReceFileDriveTypeError:
        return QStringLiteral("ReceFileDriveTypeError");
    case ReceFileVersionError:
        return QStringLiteral("ReceFileVersionError");
    case ReceFileLengthError:
        return QStringLiteral("ReceFileLengthError");
    case ReceFileCrcError:
        return QStringLiteral("ReceFileCrcError");
    case ReceFileOpenError:
        return QStringLiteral("ReceFileOpenError");
    default:
        return {};
    }
}

bool UpgradeHeader::hasMagic() const
{
    return magicText == QLatin1String(MagicText);
}

QString UpgradeHeader::versionText() const
{
    return QString::number(versionMajor, 16) + QLatin1Char('.') + QString::number(versionMinor, 16);
}

QString cardModelName(quint8 cardCode)
{
    switch (cardCode) {
    case 0:
        return QStringLiteral("NRX-64");
    case 1:
        return QStringLiteral("NRX-72");
    default:
        return QStringLiteral("multi");
    }
}

QString magicText(const QByteArray &file)
{
    return fieldText(file, 0, MagicAreaSize);
}

std::optional<UpgradeHeader> parseHeader(const QByteArray &file)
{
    if (file.size() < HeaderSize)
        return std::nullopt;
    UpgradeHeader header;
    header.magicText = magicText(file);
    header.cardCode = quint8(file.at(CardCodeOffset));
    header.driveType = fieldText(file, DriveTypeOffset, DriveTypeSize);
    header.date = fieldText(file, DateOffset, DateSize);
    header.versionMajor = quint8(file.at(VersionOffset));
    header.versionMinor = quint8(file.at(VersionOffset + 1));
    header.flashLength = readU32(file, FlashLengthOffset);
    header.flashCrc = readU32(file, FlashCrcOffset);
    header.flashAddressWord = readU32(file, FlashAddressOffset);
    return header;
}

UpdateReceCardErrorType checkFile(const QByteArray &file, const QVariantMap &options,
                                  quint32 *computedCrc)
{
    const bool magicOk = magicText(file) == QLatin1String(MagicText);
    const std::optional<UpgradeHeader> header = parseHeader(file);
    if (!magicOk)
        return ReceFileHeadFlagError;
    if (!header)
        return ReceFileLengthError;

    const bool byModelName = options.value(QStringLiteral("cardFlag")).toInt() == 2;
    if (byModelName) {
        const QString expected = QStringLiteral("receCardType");
        if (options.contains(expected) &&
            cardModelName(header->cardCode) != options.value(expected).toString())
            return ReceFileCardTypeError;
    } else {
        const QString expected = QStringLiteral("firmIndex");
        if (options.contains(expected) && header->cardCode != options.value(expected).toInt())
            return ReceFileCardTypeError;
    }

    if (qint64(header->flashLength) != qint64(file.size()) - HeaderSize)
        return ReceFileLengthError;
    const quint32 crc = payloadCrc(file);
    if (computedCrc)
        *computedCrc = crc;
    if (crc != header->flashCrc)
        return ReceFileCrcError;
    return ReceFileNoError;
}

UpdateReceCardErrorType buildHeader(const QByteArray &image, const QVariantMap &options,
                                    const QDate &date, QByteArray &header)
{
    if (image.isEmpty())
        return ReceFileLengthError;
    if (!options.contains(QStringLiteral("receCardType")))
        return ReceFileCardTypeError;
    if (!options.contains(QStringLiteral("driveType")))
        return ReceFileDriveTypeError;
    const QByteArray driveType = options.value(QStringLiteral("driveType")).toString().toUtf8();
    if (driveType.size() > DriveTypeSize)
        return ReceFileDriveTypeError; // would shift every later field
    // Without a version the later fields would sit two bytes early: no valid file.
    const QStringList version =
        options.value(QStringLiteral("version")).toString().split(QLatin1Char('.'));
    if (!options.contains(QStringLiteral("version")) || version.size() < 2)
        return ReceFileVersionError;
    bool known = false;
    const quint32 expectedCrc = options.value(QStringLiteral("recCardCRC32")).toUInt(&known);
    const quint32 crc = checksums::crc32(image, image.size(), 0);
    if (!known || expectedCrc != crc)
        return ReceFileCrcError;

    QByteArray head(HeaderSize, '\0');
    writeField(head, 0, MagicAreaSize, magic());
    head[0x40] = '0';
    head[CardCodeOffset] = char(options.value(QStringLiteral("receCardType")).toInt());
    writeField(head, DriveTypeOffset, DriveTypeSize, driveType);
    writeField(head, DateOffset, DateSize, date.toString(QStringLiteral("yyyyMMdd")).toLatin1());
    head[VersionOffset] = char(version.at(0).toUInt(nullptr, 16));
    head[VersionOffset + 1] = char(version.at(1).toUInt(nullptr, 16));
    writeU32(head, FlashLengthOffset, quint32(image.size()));
    writeU32(head, FlashCrcOffset, crc);
    // The flash address word stays zero: the image goes to the start of the flash.
    header = head;
    return ReceFileNoError;
}

bool isMcuFile(const QByteArray &file)
{
    return file.startsWith(mcuMagic());
}

} // namespace ledwall::upgrade
