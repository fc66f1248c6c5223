// ledwall gamma: the points of a gamma curve.
//
//     ledwall gamma --in-bits N --out-bits N --max V --gamma G [--mode M]
//
// Prints the curve of the facade's setGamma as a JSON array of {"x": i, "y": y},
// one point per input level. The options are the request's keys: --in-bits is
// inGray, --out-bits outGray, --max maxValue, --gamma gam, --mode mode.
// Exit 0 with the curve, 2 on bad usage.

#include "cli.h"
#include "cliutil.h"

#include "bll_businesslogic_desktop.h"
#include "gammacurve.h"

#include <QLoggingCategory>

#include <cmath>
#include <limits>

namespace
{

// The value of a real-number option, or false after a message when it is not a
// finite number within [minimum, maximum] (above minimum when `open`).
bool optionReal(const QCommandLineParser &parser, const QString &option, double minimum, bool open,
                double maximum, double *value)
{
    bool ok = false;
    const double number = parser.value(option).toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < minimum || (open && number == minimum) ||
        number > maximum) {
        cli::printError(QStringLiteral("--%1 needs a number %2 %3 up to %4")
                            .arg(option, open ? QStringLiteral("above") : QStringLiteral("from"))
                            .arg(minimum, 0, 'g', 12)
                            .arg(maximum, 0, 'g', 12));
        return false;
    }
    *value = number;
    return true;
}

} // namespace

int runGammaCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("in-bits"),
                      QStringLiteral("Input depth in bits, 0 to 16: the curve has 2^N points "
                                     "(required)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("out-bits"),
                      QStringLiteral("Output depth in bits, 1 to 16; mode 1 keeps the curve "
                                     "above the ramp 2^(16 - N) * x (required)."),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("max"),
                      QStringLiteral("Output of the last point, 0 to 2147483647 (required)."),
                      QStringLiteral("V")});
    parser.addOption({QStringLiteral("gamma"),
                      QStringLiteral("Exponent of the curve, above 0, e.g. 2.2 (required)."),
                      QStringLiteral("G")});
    parser.addOption({QStringLiteral("mode"),
                      QStringLiteral("0 the plain curve, 1 never below the ramp of the output "
                                     "depth."),
                      QStringLiteral("M"), QStringLiteral("0")});
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Prints the points of a gamma curve, y = (x / (2^N - 1))^G * V rounded, "
                       "as a JSON array of {\"x\", \"y\"}."));
    if (parsed >= 0)
        return parsed;
    if (!cli::requireOptions(parser, {"in-bits", "out-bits", "max", "gamma"}))
        return cli::ExitUsage;
    if (!cli::noPositionalArguments(parser))
        return cli::ExitUsage;
    qint64 inBits = 0, outBits = 0, mode = 0;
    double maxValue = 0, gamma = 0;
    if (!cli::optionNumber(parser, QStringLiteral("in-bits"), 0, ledwall::maxGammaInGray,
                           &inBits) ||
        !cli::optionNumber(parser, QStringLiteral("out-bits"), 1, 16, &outBits) ||
        !optionReal(parser, QStringLiteral("max"), 0, false, std::numeric_limits<int>::max(),
                    &maxValue) ||
        !optionReal(parser, QStringLiteral("gamma"), 0, true, 1000, &gamma) ||
        !cli::optionNumber(parser, QStringLiteral("mode"), 0, 1, &mode))
        return cli::ExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    const QVariantList curve =
        BLL_BusinessLogic_Desktop::instance()->setGamma({{QStringLiteral("inGray"), int(inBits)},
                                                         {QStringLiteral("outGray"), int(outBits)},
                                                         {QStringLiteral("maxValue"), maxValue},
                                                         {QStringLiteral("gam"), gamma},
                                                         {QStringLiteral("mode"), int(mode)}});
    cli::printJson(curve);
    return cli::ExitOk;
}
