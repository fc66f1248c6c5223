// ledwall gamut: the colour-correction words of a target gamut.
//
//     ledwall gamut FILE|-
//
// Reads one JSON object with the CIE 1931 chromaticities of the panel (pri_*) and
// of the target gamut (dst_*), sixteen numbers in all, from FILE or from stdin
// ("-"), and prints the map of the facade's GamutParam: the quantised coefficients
// (CMrr ... CMbb), the three register words (buffer_CMR, buffer_CMG, buffer_CMB)
// with their bytes, and the matrix as text (sCrr ... sCbb).
// Exit 0 with the map; 1 when the input cannot be read or is not a JSON object, or
// when a gamut is degenerate (the library's fallback map is still printed); 2 on
// bad usage, including a missing or non-numeric key.

#include "cli.h"
#include "cliutil.h"

#include "bll_businesslogic_desktop.h"
#include "gamutconversion.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#include <cmath>
#include <cstdio>

namespace
{

// A gamut description is a few hundred bytes; anything far larger is not one.
constexpr qint64 MaxInputSize = 1024 * 1024;

const char *const GamutKeys[] = {
    "pri_R_Cx", "pri_R_Cy", "pri_G_Cx", "pri_G_Cy", "pri_B_Cx", "pri_B_Cy", "pri_W_Cx", "pri_W_Cy",
    "dst_R_Cx", "dst_R_Cy", "dst_G_Cx", "dst_G_Cy", "dst_B_Cx", "dst_B_Cy", "dst_W_Cx", "dst_W_Cy"};

// The JSON object in FILE or on stdin; ExitOk, or the exit code after a message.
int readInput(const QString &path, QJsonObject *object)
{
    const QString name = path == QLatin1String("-") ? QStringLiteral("stdin") : path;
    QByteArray data;
    if (!cli::readInputFile(path, MaxInputSize, &data))
        return cli::ExitFailed;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        cli::printError(QStringLiteral("%1 is not a JSON object%2")
                            .arg(name, error.error != QJsonParseError::NoError
                                           ? QStringLiteral(": ") + error.errorString()
                                           : QString()));
        return cli::ExitFailed;
    }
    *object = document.object();
    return cli::ExitOk;
}

ledwall::GamutPrimaries primaries(const QVariantMap &request, const QString &prefix)
{
    const auto point = [&](const char *colour) {
        return ledwall::Chromaticity{
            request.value(prefix + QLatin1String(colour) + QLatin1String("_Cx")).toDouble(),
            request.value(prefix + QLatin1String(colour) + QLatin1String("_Cy")).toDouble()};
    };
    return {point("_R"), point("_G"), point("_B"), point("_W")};
}

} // namespace

int runGamutCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("JSON object with pri_R_Cx ... pri_W_Cy and dst_R_Cx ... dst_W_Cy; "
                       "- reads stdin."));
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Prints the colour-correction coefficients and register words that map "
                       "a target gamut onto the panel's primaries, as JSON."));
    if (parsed >= 0)
        return parsed;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        cli::printError(positional.isEmpty()
                            ? QStringLiteral("expected FILE (or - for stdin)")
                            : QStringLiteral("unexpected argument '%1'").arg(positional.at(1)));
        return cli::ExitUsage;
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    QJsonObject object;
    if (const int status = readInput(positional.constFirst(), &object); status != cli::ExitOk)
        return status;
    QVariantMap request;
    for (const char *key : GamutKeys) {
        const QString name = QLatin1String(key);
        const QJsonValue value = object.value(name);
        if (value.isUndefined()) {
            cli::printError(QStringLiteral("missing key \"%1\"").arg(name));
            return cli::ExitUsage;
        }
        if (!value.isDouble() || !std::isfinite(value.toDouble())) {
            cli::printError(QStringLiteral("\"%1\" must be a number").arg(name));
            return cli::ExitUsage;
        }
        request.insert(name, value.toDouble());
    }

    cli::printJson(BLL_BusinessLogic_Desktop::instance()->GamutParam(request));

    // The library falls back to the identity where a gamut cannot be used; say so,
    // since the words then do not describe the chromaticities given.
    const ledwall::GamutCorrection correction = ledwall::gamutCorrection(
        primaries(request, QStringLiteral("pri")), primaries(request, QStringLiteral("dst")));
    QStringList unusable;
    if (!correction.panelUsable)
        unusable << QStringLiteral("the panel's (pri_*)");
    if (!correction.targetUsable)
        unusable << QStringLiteral("the target's (dst_*)");
    if (!unusable.isEmpty() || !correction.npmUsable) {
        cli::printError(
            QStringLiteral("%1 chromaticities are degenerate (primaries that coincide or lie on "
                           "one line, a white point with y = 0 or on a side of the "
                           "primaries' triangle); the words are the "
                           "library's fallback, not a correction")
                .arg(unusable.isEmpty() ? QStringLiteral("the panel's (pri_*)")
                                        : unusable.join(QStringLiteral(" and "))));
        return cli::ExitFailed;
    }
    return cli::ExitOk;
}
