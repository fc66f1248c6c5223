// ledwall checksum: the card checksums of a file.
//
//     ledwall checksum crc32|crc16|header|usbsum FILE
//
// crc32: CRC-32 of the whole file; crc16: CRC-16/XMODEM; header: 8-bit sum of the
// bytes from index 3 on; usbsum: 16-bit sum of every byte. Prints {"value": "<hex>"}
// in lowercase hex. Exit 1 when the file cannot be read, 2 on bad usage.

#include "cli.h"
#include "cliutil.h"

#include "checksums.h"
#include "filereader.h"

#include <QHash>

#include <limits>

int runChecksumCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("KIND"),
                                 QStringLiteral("crc32, crc16, header or usbsum."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to sum."));
    const int parsed = cli::parseArguments(
        parser, args, QStringLiteral("Prints a card checksum of a file as lowercase hex."));
    if (parsed >= 0)
        return parsed;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        cli::printError(QStringLiteral("expected KIND and FILE"));
        return cli::ExitUsage;
    }
    const QString kind = positional.at(0);
    if (!QStringList{"crc32", "crc16", "header", "usbsum"}.contains(kind)) {
        cli::printError(QStringLiteral("unknown checksum '%1'").arg(kind));
        return cli::ExitUsage;
    }
    // The file is mapped, not copied, and summed in pieces: its size has no limit
    // but the address space.
    const QString path = positional.at(1);
    ledwall::MappedFile file;
    if (!file.open(path, std::numeric_limits<qint64>::max())) {
        cli::printError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return cli::ExitFailed;
    }
    using Sum = ledwall::checksums::StreamingChecksum;
    const QHash<QString, Sum::Kind> kinds{{QStringLiteral("crc32"), Sum::Kind::Crc32},
                                          {QStringLiteral("crc16"), Sum::Kind::Crc16},
                                          {QStringLiteral("header"), Sum::Kind::HeaderSum8},
                                          {QStringLiteral("usbsum"), Sum::Kind::ByteSum16}};
    Sum sum(kinds.value(kind));
    constexpr qint64 Piece = 64 * 1024 * 1024;
    const char *bytes = reinterpret_cast<const char *>(file.data());
    for (qint64 offset = 0; offset < file.size(); offset += Piece)
        sum.add(bytes + offset, qMin(Piece, file.size() - offset));
    const quint32 value = sum.value();
    cli::printJson(QVariantMap{{QStringLiteral("value"), QString::number(value, 16)}});
    return cli::ExitOk;
}
