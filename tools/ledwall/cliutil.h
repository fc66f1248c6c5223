#pragma once
// Helpers shared by the ledwall subcommands: exit codes, output conventions and
// option parsing.

#include <QCommandLineParser>
#include <QJsonValue>
#include <QString>
#include <QVariant>

#include <initializer_list>

namespace cli
{

enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// JSON for a variant: maps and lists recursively, QByteArray as lower-case hex,
// everything else as QJsonValue::fromVariant gives it.
QJsonValue toJson(const QVariant &value);
enum JsonStyle { Indented, Compact };
// One JSON document on stdout followed by a newline, flushed. Compact output is one
// line, for commands that keep running after they report.
void printJson(const QVariant &value, JsonStyle style = Indented);
// "ledwall: <message>" on stderr.
void printError(const QString &message);

// Prepares `parser` for subcommand `args[0]` (adds --help and the description)
// and parses `args`. Returns -1 when the command should go on; otherwise the exit
// code to return at once (after printing help on stdout or the error and usage
// on stderr).
int parseArguments(QCommandLineParser &parser, const QStringList &args, const QString &description);
// True when every option in `names` was given; otherwise prints "--<name> is
// required" for the first missing one and returns false.
bool requireOptions(const QCommandLineParser &parser, std::initializer_list<const char *> names);
// True when there are no positional arguments; otherwise prints the first one as
// unexpected and returns false.
bool noPositionalArguments(const QCommandLineParser &parser);
// The value of an option as a number in [minimum, maximum]; prints an error and
// returns false when it is not one.
bool optionNumber(const QCommandLineParser &parser, const QString &option, qint64 minimum,
                  qint64 maximum, qint64 *value);
// The whole of file `path` ("-" is standard input) when it holds at most `maxSize`
// bytes; otherwise prints why ("cannot read <path>: <reason>") and returns false.
bool readInputFile(const QString &path, qint64 maxSize, QByteArray *bytes);
// The JSON object in file `path` (as readInputFile reads it); otherwise prints why
// ("<path> is not a JSON object: <reason>") and returns false.
bool readJsonObjectFile(const QString &path, qint64 maxSize, QVariantMap *map);
// The JSON array in file `path`; otherwise prints "<path> is not a JSON array of
// <what>: <reason>" and returns false.
bool readJsonArrayFile(const QString &path, qint64 maxSize, const QString &what,
                       QVariantList *list);

} // namespace cli
