#pragma once
// Receiving-card upgrade file: a 1024-byte header followed by the flash image.
// Building, parsing and checking are plain functions over byte arrays; every
// multi-byte header field is big-endian.
//
//   0x00  64  magic text, zero padded
//   0x40   1  reserved ('0')
//   0x41   1  card code (firmware index)
//   0x42   8  drive type text, zero padded
//   0x4A   8  date "yyyyMMdd"
//   0x52   2  version major, minor
//   0x54   4  flash length (payload size)
//   0x58   4  flash CRC-32 of the payload
//   0x5C   4  flash address word: bits 0-23 address, bits 21-23 FLS_MSB
//   0x60 928  reserved (zero)

#include "registermap.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariantMap>

#include <optional>

// Result of the receiving-card upgrade file checks; the values are part of the
// library's interface (4 and 8 are not used).
enum UpdateReceCardErrorType {
    ReceFileNoError = 0,
    ReceFileHeadFlagError = 1,
    ReceFileCardTypeError = 2,
    ReceFileDriveTypeError = 3,
    ReceFileVersionError = 5,
    ReceFileLengthError = 6,
    ReceFileCrcError = 7,
    ReceFileOpenError = 9
};

namespace ledwall::upgrade
{

constexpr int HeaderSize = 1024;
constexpr int MagicAreaSize = 64;
constexpr int CardCodeOffset = 0x41;
constexpr int DriveTypeOffset = 0x42;
constexpr int DriveTypeSize = 8;
constexpr int DateOffset = 0x4A;
constexpr int DateSize = 8;
constexpr int VersionOffset = 0x52;
constexpr int FlashLengthOffset = 0x54;
constexpr int FlashCrcOffset = 0x58;
constexpr int FlashAddressOffset = 0x5C;
constexpr int McuMagicSize = 16;

// The magic text at the start of every upgrade file.
QByteArray magic();
// Name of an enum value ("ReceFileCrcError"); empty for values that are not used.
QString errorName(int value);

struct UpgradeHeader {
    QString magicText; // bytes 0..63 up to the first zero byte
    quint8 cardCode = 0;
    QString driveType;
    QString date;
    quint8 versionMajor = 0;
    quint8 versionMinor = 0;
    quint32 flashLength = 0;
    quint32 flashCrc = 0;
    quint32 flashAddressWord = 0;

    bool hasMagic() const;
    QString versionText() const; // "1.a": lowercase hex without leading zeros
    quint32 ltcpAddrData() const
    {
        return registers::ReceivingFlash.first | (flashAddressWord & 0xFFFFFFu);
    }
    int flsMsb() const { return int((flashAddressWord >> 21) & 7u); }
};

// Model name of a card code: 0 "NRX-64", 1 "NRX-72", anything else "multi".
QString cardModelName(quint8 cardCode);

// Magic text of the first 64 bytes (or fewer in a short file).
QString magicText(const QByteArray &file);

// The header fields of a file; nothing when the file is shorter than the header.
std::optional<UpgradeHeader> parseHeader(const QByteArray &file);

// Checks a whole file. options: "cardFlag" (2 compares "receCardType" with the
// model name of the card code, anything else "firmIndex" with the code); a
// missing key skips its comparison. Order: magic, card, length, CRC. A file
// shorter than the header is a length error when it starts with the magic.
// `payloadCrc`, when given, receives the payload's CRC-32 once it was computed
// (that is, when the check got as far as the CRC) and is left alone otherwise.
UpdateReceCardErrorType checkFile(const QByteArray &file, const QVariantMap &options,
                                  quint32 *payloadCrc = nullptr);

// The header of a file around image. options: "receCardType" (card code),
// "driveType" (at most 8 bytes of UTF-8), "version" (two hex parts joined by a
// dot), "recCardCRC32" (must equal the image's CRC-32). Returns the error or the
// 1024-byte header in header.
UpdateReceCardErrorType buildHeader(const QByteArray &image, const QVariantMap &options,
                                    const QDate &date, QByteArray &header);

// True when the first 16 bytes are the MCU firmware magic.
bool isMcuFile(const QByteArray &file);
// The MCU firmware magic bytes.
QByteArray mcuMagic();

} // namespace ledwall::upgrade
