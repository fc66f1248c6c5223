// ledwall locus: whether a chromaticity lies inside the CIE 1931 diagram.
//
//     ledwall locus X Y
//
// Asks the facade's openGamutConfigFile whether (X, Y) lies between the spectral
// locus and the line of purples (within 0.006) and prints {"inside": bool}. The
// locus is the table Data.txt installed beside the program; a Data.txt in the
// working directory is not used, so that an unrelated file of that common name
// cannot change the answer. Exit 0 with the answer, 1 when the table cannot be
// loaded, 2 on bad usage.

#include "cli.h"
#include "cliutil.h"

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "spectrallocus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <cmath>

int runLocusCommand(const QStringList &args)
{
    // Chromaticities may be negative; keep "-0.1" from being read as options.
    QStringList options{args.value(0)};
    QStringList numbers;
    for (const QString &arg : args.mid(1)) {
        bool isNumber = false;
        arg.toDouble(&isNumber);
        (isNumber ? numbers : options) << arg;
    }

    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("X"), QStringLiteral("CIE 1931 x."));
    parser.addPositionalArgument(QStringLiteral("Y"), QStringLiteral("CIE 1931 y."));
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, options,
        QStringLiteral("Prints whether the chromaticity (X, Y) lies inside the CIE 1931 "
                       "diagram, within 0.006 of the spectral locus and the line of purples."));
    if (parsed >= 0)
        return parsed;
    if (!parser.positionalArguments().isEmpty()) {
        cli::printError(
            QStringLiteral("'%1' is not a number").arg(parser.positionalArguments().constFirst()));
        return cli::ExitUsage;
    }
    if (numbers.size() != 2) {
        cli::printError(numbers.size() < 2
                            ? QStringLiteral("expected X and Y")
                            : QStringLiteral("unexpected argument '%1'").arg(numbers.at(2)));
        return cli::ExitUsage;
    }
    const double x = numbers.at(0).toDouble();
    const double y = numbers.at(1).toDouble();
    if (!std::isfinite(x) || !std::isfinite(y)) {
        cli::printError(QStringLiteral("X and Y must be finite numbers"));
        return cli::ExitUsage;
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    // The library looks for the table in the working directory first: make that the
    // program's own directory.
    const QString directory = ledwall::applicationDirectory();
    const QString table = QDir(directory).filePath(QStringLiteral("Data.txt"));
    // The library answers "outside" when it has no table; tell that case apart.
    QFile file(table);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        cli::printError(QStringLiteral("cannot load the spectral locus table %1: %2")
                            .arg(QDir::toNativeSeparators(table), file.errorString()));
        return cli::ExitFailed;
    }
    if (ledwall::readSpectralLocus(file).isEmpty()) {
        cli::printError(QStringLiteral("the spectral locus table %1 holds no \"wave x y\" lines")
                            .arg(QDir::toNativeSeparators(table)));
        return cli::ExitFailed;
    }
    file.close();
    if (!QDir::setCurrent(directory)) {
        cli::printError(QStringLiteral("cannot change to %1").arg(directory));
        return cli::ExitFailed;
    }

    const bool inside = BLL_BusinessLogic_Desktop::instance()->openGamutConfigFile(
        {{QStringLiteral("x"), x}, {QStringLiteral("y"), y}});
    cli::printJson(QVariantMap{{QStringLiteral("inside"), inside}});
    return cli::ExitOk;
}
