#include "cliutil.h"

#include "filereader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace cli
{

QJsonValue toJson(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::QByteArray:
        return QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::QVariantMap: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            object.insert(it.key(), toJson(it.value()));
        return object;
    }
    case QMetaType::QVariantHash: {
        QJsonObject object;
        const QVariantHash hash = value.toHash();
        for (auto it = hash.constBegin(); it != hash.constEnd(); ++it)
            object.insert(it.key(), toJson(it.value()));
        return object;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QJsonArray array;
        const QVariantList list = value.toList();
        for (const QVariant &item : list)
            array.append(toJson(item));
        return array;
    }
    default:
        return QJsonValue::fromVariant(value);
    }
}

void printJson(const QVariant &value, JsonStyle style)
{
    const QJsonValue json = toJson(value);
    const auto format = style == Compact ? QJsonDocument::Compact : QJsonDocument::Indented;
    const QByteArray newline = style == Compact ? QByteArray("\n") : QByteArray();
    QByteArray text;
    if (json.isObject())
        text = QJsonDocument(json.toObject()).toJson(format) + newline;
    else if (json.isArray())
        text = QJsonDocument(json.toArray()).toJson(format) + newline;
    else // a bare value: wrap it in an array and strip the brackets
        text =
            QJsonDocument(QJsonArray{json}).toJson(QJsonDocument::Compact).mid(1).chopped(1) + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

void printError(const QString &message)
{
    std::fprintf(stderr, "ledwall: %s\n", qPrintable(message));
    std::fflush(stderr);
}

namespace
{

// QCommandLineParser names the program in its usage line; name the subcommand.
QString helpText(const QCommandLineParser &parser, const QString &command)
{
    QString text = parser.helpText();
    const int lineEnd = text.indexOf(QLatin1Char('\n'));
    const QString usage = QStringLiteral("Usage: ledwall %1 [options]").arg(command);
    return lineEnd < 0 ? usage + QLatin1Char('\n') : usage + text.mid(lineEnd);
}

} // namespace

int parseArguments(QCommandLineParser &parser, const QStringList &args, const QString &description)
{
    const QString name = args.value(0);
    parser.setApplicationDescription(description);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    // QCommandLineParser takes the first argument as the program name.
    QStringList withProgram = args;
    if (withProgram.isEmpty())
        withProgram << QString();
    withProgram[0] = QStringLiteral("ledwall ") + name;
    if (!parser.parse(withProgram)) {
        printError(parser.errorText());
        std::fputs(qPrintable(helpText(parser, name)), stderr);
        return ExitUsage;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(helpText(parser, name)), stdout);
        return ExitOk;
    }
    return -1;
}

bool optionNumber(const QCommandLineParser &parser, const QString &option, qint64 minimum,
                  qint64 maximum, qint64 *value)
{
    bool ok = false;
    const qint64 number = parser.value(option).toLongLong(&ok);
    if (!ok || number < minimum || number > maximum) {
        printError(QStringLiteral("--%1 needs a number from %2 to %3")
                       .arg(option)
                       .arg(minimum)
                       .arg(maximum));
        return false;
    }
    *value = number;
    return true;
}

bool requireOptions(const QCommandLineParser &parser, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (!parser.isSet(QLatin1String(name))) {
            printError(QStringLiteral("--%1 is required").arg(QLatin1String(name)));
            return false;
        }
    }
    return true;
}

bool noPositionalArguments(const QCommandLineParser &parser)
{
    if (parser.positionalArguments().isEmpty())
        return true;
    printError(
        QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst()));
    return false;
}

bool readInputFile(const QString &path, qint64 maxSize, QByteArray *bytes)
{
    const bool fromStdin = path == QLatin1String("-");
    ledwall::FileContents contents;
    if (fromStdin) {
        QFile input;
        if (input.open(stdin, QIODevice::ReadOnly))
            contents = ledwall::readWholeDevice(input, maxSize);
        else
            contents.errorString = input.errorString();
    } else {
        contents = ledwall::readWholeFile(path, maxSize);
    }
    if (!contents.ok()) {
        printError(QStringLiteral("cannot read %1: %2")
                       .arg(fromStdin ? QStringLiteral("stdin") : path, contents.errorString));
        return false;
    }
    *bytes = contents.bytes;
    return true;
}

namespace
{

// The JSON document in file `path`, when it is an object (or an array); otherwise
// prints "<path> is not <expected>[: reason]".
bool readJsonFile(const QString &path, qint64 maxSize, bool array, const QString &expected,
                  QJsonDocument *document)
{
    QByteArray contents;
    if (!readInputFile(path, maxSize, &contents))
        return false;
    QJsonParseError error;
    *document = QJsonDocument::fromJson(contents, &error);
    if (error.error != QJsonParseError::NoError ||
        (array ? !document->isArray() : !document->isObject())) {
        printError(QStringLiteral("%1 is not %2%3")
                       .arg(path, expected,
                            error.error != QJsonParseError::NoError
                                ? QStringLiteral(": ") + error.errorString()
                                : QString()));
        return false;
    }
    return true;
}

} // namespace

bool readJsonObjectFile(const QString &path, qint64 maxSize, QVariantMap *map)
{
    QJsonDocument document;
    if (!readJsonFile(path, maxSize, false, QStringLiteral("a JSON object"), &document))
        return false;
    *map = document.object().toVariantMap();
    return true;
}

bool readJsonArrayFile(const QString &path, qint64 maxSize, const QString &what, QVariantList *list)
{
    QJsonDocument document;
    if (!readJsonFile(path, maxSize, true, QStringLiteral("a JSON array of ") + what, &document))
        return false;
    *list = document.toVariant().toList();
    return true;
}

} // namespace cli
