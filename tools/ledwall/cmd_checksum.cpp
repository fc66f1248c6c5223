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
    // The file is mapped, not copied; a byte array view reaches 2 GiB at most.
    const QString path = positional.at(1);
    ledwall::MappedFile file;
    if (!file.open(path, std::numeric_limits<int>::max())) {
        cli::printError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return cli::ExitFailed;
    }
    const QByteArray data =
        QByteArray::fromRawData(reinterpret_cast<const char *>(file.data()), int(file.size()));
    quint32 value = 0;
    if (kind == QLatin1String("crc32"))
        value = ledwall::checksums::crc32(data, data.size(), 0);
    else if (kind == QLatin1String("crc16"))
        value = ledwall::checksums::crc16(data.constData(), data.size());
    else if (kind == QLatin1String("header"))
        value = ledwall::checksums::headerSum8(data, int(data.size()));
    else
        value = ledwall::checksums::byteSum16(data);
    cli::printJson(QVariantMap{{QStringLiteral("value"), QString::number(value, 16)}});
    return cli::ExitOk;
}
