// ledwall tables: the scene table records a processor receives.
//
//     ledwall tables KIND ITEMS.json
//
// KIND is edge-fusion, output-setup, layers, channels, image-adjust, groups or
// input-blocks; ITEMS.json a JSON array of item maps (the scene's items). Prints
// {"kind", "recordLength", "frames": [{"startIndex", "recordCount", "totalCount",
// "records": [hex per record]}]}: the items that take part, packed and grouped into
// frames as they are sent. Exit 1 for an unreadable file, 2 on bad usage.

#include "cli.h"
#include "cliutil.h"

#include "processorrecords.h"

using namespace ledwall::processor;

namespace
{
// Scene tables of a processor hold a few hundred items.
constexpr qint64 MaxItemsFileSize = 16 * 1024 * 1024;

QVariantList recordsOf(const TableFrame &frame, const RecordLayout &layout)
{
    // Channel records are smaller than the unit the frames count with.
    const int size = layout.tableKind == ChannelTable ? ChannelRecordSize : layout.recordSize;
    QVariantList records;
    for (int at = 0; at < frame.records.size(); at += size)
        records << frame.records.mid(at, size);
    return records;
}
} // namespace

int runTablesCommand(const QStringList &args)
{
    QCommandLineParser parser;
    QStringList names;
    for (const RecordLayout &layout : recordLayouts())
        names << QLatin1String(layout.name);
    parser.addPositionalArgument(QStringLiteral("kind"), names.join(QLatin1Char('|')));
    parser.addPositionalArgument(QStringLiteral("items"), QStringLiteral("JSON array of items."));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Packs the items of a scene table into the records and frames a "
                       "processor receives and prints them as hex."));
    if (parsed >= 0)
        return parsed;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        cli::printError(QStringLiteral("expected KIND and ITEMS.json"));
        return cli::ExitUsage;
    }
    const RecordLayout *layout = layoutNamed(positional.at(0));
    if (!layout) {
        cli::printError(QStringLiteral("unknown table kind '%1' (one of %2)")
                            .arg(positional.at(0), names.join(QStringLiteral(", "))));
        return cli::ExitUsage;
    }
    QVariantList items;
    if (!cli::readJsonArrayFile(positional.at(1), MaxItemsFileSize, QStringLiteral("items"),
                                &items))
        return cli::ExitFailed;
    QVariantList frames;
    for (const TableFrame &frame : planTableFrames(*layout, items))
        frames << QVariantMap{{QStringLiteral("startIndex"), frame.startIndex},
                              {QStringLiteral("recordCount"), frame.recordCount},
                              {QStringLiteral("totalCount"), frame.totalCount},
                              {QStringLiteral("records"), recordsOf(frame, *layout)}};
    cli::printJson(QVariantMap{{QStringLiteral("kind"), positional.at(0)},
                               {QStringLiteral("recordLength"), layout->recordSize},
                               {QStringLiteral("frames"), frames}});
    return cli::ExitOk;
}
