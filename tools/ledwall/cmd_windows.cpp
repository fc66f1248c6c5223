// ledwall windows, redundancy, screen-size: the output windows of a sending card.
//
//     ledwall windows compute --op OP [--sc-type S] [--request REQ.json] [--svg OUT.svg]
//                             LAYOUT.json
//     ledwall windows write DEVICE --op OP [...] LAYOUT.json
//     ledwall redundancy DEVICE REQUEST.json
//     ledwall screen-size DEVICE
//
// DEVICE: --port N [--host A], --usb or --serial NAME (devicetarget.h). compute runs
// against a virtual wall in this process, write against the card; both print {"result", "ports",
// "writes"} and fail unless the card acknowledged every write.

#include "cli.h"
#include "cliutil.h"
#include "windowsflow.h"

#include "virtualwall.h"
#include "windowcomputations.h"

#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>

namespace
{

using namespace ledwall::windows;

constexpr int StepTimeoutMs = 10000;
constexpr qint64 MaxJsonFileSize = 16 * 1024 * 1024;

bool readJsonObject(const QString &path, QVariantMap *map)
{
    return cli::readJsonObjectFile(path, MaxJsonFileSize, map);
}

// The screen as engineers check it: cabinets outlined and labelled port:card, each
// port's windows filled in its own colour, the port corners marked.
QByteArray drawScreen(const ComputedWindows &computed)
{
    static const char *const Colours[] = {"#e6194b", "#3cb44b", "#4363d8", "#f58231",
                                          "#911eb4", "#42d4f4", "#f032e6", "#bfef45"};
    const QSize screen = computed.layout.screenSize();
    int right = screen.width(), bottom = screen.height();
    for (const PortAggregate &port : computed.layout.ports) {
        right = qMax(right, port.maxWidth);
        bottom = qMax(bottom, port.maxHeight);
    }
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                                 "height=\"%2\" viewBox=\"0 0 %1 %2\" font-family=\"sans-serif\" "
                                 "font-size=\"12\">\n")
                      .arg(right + 1)
                      .arg(bottom + 1);
    const auto rect = [&svg](const Window &w, const QString &style) {
        svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" %5/>\n")
                   .arg(w.x)
                   .arg(w.y)
                   .arg(w.w)
                   .arg(w.h)
                   .arg(style);
    };
    for (int port = 0; port < computed.layout.windows.size(); ++port) {
        const Window corner = computed.layout.ports.at(port).box();
        const QString colour = QLatin1String(Colours[port % 8]);
        for (const Window &w : computed.layout.windows.at(port))
            rect({w.x + corner.x, w.y + corner.y, w.w, w.h},
                 QStringLiteral("fill=\"%1\" fill-opacity=\"0.35\" stroke=\"%1\"").arg(colour));
        if (computed.layout.ports.at(port).used())
            svg += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"4\" fill=\"%3\"/>\n")
                       .arg(corner.x)
                       .arg(corner.y)
                       .arg(colour);
        for (const Cabinet &c : computed.layout.cabinets.at(port)) {
            rect(c.rect, QStringLiteral("fill=\"none\" stroke=\"black\""));
            svg += QStringLiteral("<text x=\"%1\" y=\"%2\">%3:%4</text>\n")
                       .arg(c.rect.x + 3)
                       .arg(c.rect.y + 14)
                       .arg(c.port)
                       .arg(c.addr);
        }
    }
    svg += QStringLiteral("</svg>\n");
    return svg.toUtf8();
}

QVariant runOperation(WindowOperation op, const QVariantMap &request)
{
    BLL_BusinessLogic_SendCardPackage &card = cli::layout::card();
    switch (op) {
    case WindowOperation::Multi:
        return card.setMultiwindow(request);
    case WindowOperation::DiffWH:
        return card.setDiffWHMultiwindow(request);
    case WindowOperation::All:
        return card.setAllMultiWindow(request);
    case WindowOperation::Complex:
        break;
    }
    return card.setComplexScreenWindow(request);
}

bool succeeded(const QVariant &result)
{
    return result.userType() == QMetaType::Bool
               ? result.toBool()
               : result.toMap().value(QStringLiteral("result")).toBool();
}

// Opens the link, runs `work` with the capture, and prints what the card received.
template <typename Work> int onCard(const cli::DeviceTarget &target, const QString &name, Work work)
{
    cli::FacadeSession session;
    const QString guid = session.openOrReport(target, name);
    if (guid.isEmpty())
        return cli::ExitFailed;
    cli::layout::attach(guid);
    return work(session, guid);
}

int computeOrWrite(const QCommandLineParser &parser, WindowOperation op,
                   const cli::DeviceTarget &target)
{
    QVariantMap layout;
    if (!readJsonObject(parser.positionalArguments().value(1), &layout))
        return cli::ExitFailed;
    QVariantMap request{
        {QStringLiteral("currDisplayIdx"), 0},
        {QStringLiteral("scType"), parser.value(QStringLiteral("sc-type"))},
        {QStringLiteral("dviWorkMode"), 1},
        {QStringLiteral("offsetX"), 0},
        {QStringLiteral("offsetY"), 0},
        {QStringLiteral("leftEmpObj"), QVariantMap{{QStringLiteral("empResult"), false}}},
        {QStringLiteral("isSend"), true}};
    if (parser.isSet(QStringLiteral("request"))) {
        QVariantMap more;
        if (!readJsonObject(parser.value(QStringLiteral("request")), &more))
            return cli::ExitFailed;
        for (auto it = more.cbegin(); it != more.cend(); ++it)
            request.insert(it.key(), it.value());
    }
    if (parser.isSet(QStringLiteral("svg"))) {
        const ComputedWindows computed =
            computeWindows(op, layout.value(QStringLiteral("displayArr")).toList(), request);
        QFile file(parser.value(QStringLiteral("svg")));
        const QByteArray svg = drawScreen(computed);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(svg) != svg.size()) {
            cli::printError(QStringLiteral("cannot write %1").arg(file.fileName()));
            return cli::ExitFailed;
        }
    }
    return onCard(
        target, QStringLiteral("windows"), [&](cli::FacadeSession &session, const QString &) {
            BLL_BusinessLogic_SendCardPackage &card = cli::layout::card();
            if (op == WindowOperation::Complex)
                card.saveComplexConnectDisplayData(layout);
            else
                card.saveConnectDisplayData(layout);
            const int firstReply = session.replies.size();
            cli::windows::WriteCapture capture;
            const QVariant result = runOperation(op, request);
            const QStringList open = capture.unacknowledged(session, firstReply, StepTimeoutMs);
            cli::printJson(QVariantMap{{QStringLiteral("result"), result},
                                       {QStringLiteral("ports"), card.lastPortWindows()},
                                       {QStringLiteral("writes"), capture.writes}});
            if (!open.isEmpty()) {
                cli::printError(QStringLiteral("the card did not acknowledge the writes at %1")
                                    .arg(open.join(QStringLiteral(", "))));
                return cli::ExitFailed;
            }
            if (!succeeded(result)) {
                cli::printError(QStringLiteral("the windows were not computed or not written "
                                               "(--verbose shows why)"));
                return cli::ExitFailed;
            }
            return cli::ExitOk;
        });
}

void addCardOptions(QCommandLineParser &parser)
{
    cli::addDeviceOptions(parser);
    parser.addOption(
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")});
}

} // namespace

int runWindowsCommand(const QStringList &args)
{
    QCommandLineParser parser;
    addCardOptions(parser);
    parser.addOption({QStringLiteral("op"), QStringLiteral("multi, diffwh, all or complex."),
                      QStringLiteral("OP")});
    parser.addOption({QStringLiteral("sc-type"),
                      QStringLiteral("Screen type: empty for bank A, e.g. 4k for bank B."),
                      QStringLiteral("S")});
    parser.addOption({QStringLiteral("request"), QStringLiteral("Further request keys (JSON)."),
                      QStringLiteral("REQ.json")});
    parser.addOption({QStringLiteral("svg"), QStringLiteral("Also draw the screen into this file."),
                      QStringLiteral("OUT.svg")});
    parser.addPositionalArgument(QStringLiteral("ACTION"), QStringLiteral("compute or write."));
    parser.addPositionalArgument(QStringLiteral("LAYOUT.json"),
                                 QStringLiteral("The layout in its editor form."));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral(
            "Computes the output windows of every port of a sending card from a "
            "layout, writes them into the card's registers (compute: a virtual wall "
            "in this process; write: the card (--port/--host, --usb or --serial)), and prints the "
            "result, the windows and every write."));
    if (parsed >= 0)
        return parsed;
    const QStringList positional = parser.positionalArguments();
    const QString action = positional.value(0);
    if ((action != QLatin1String("compute") && action != QLatin1String("write")) ||
        positional.size() != 2) {
        cli::printError(QStringLiteral("expected compute or write and one LAYOUT.json"));
        return cli::ExitUsage;
    }
    const std::optional<WindowOperation> op = operationFromName(parser.value("op"));
    if (!op) {
        cli::printError(QStringLiteral("--op must be multi, diffwh, all or complex"));
        return cli::ExitUsage;
    }
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    if (action == QLatin1String("write")) {
        cli::DeviceTarget target;
        if (!cli::deviceTarget(parser, &target))
            return cli::ExitUsage;
        return computeOrWrite(parser, *op, target);
    }
    ledwall::sim::VirtualWall wall;
    if (!wall.start()) {
        cli::printError(QStringLiteral("cannot start the virtual wall on 127.0.0.1"));
        return cli::ExitFailed;
    }
    cli::DeviceTarget inProcess;
    inProcess.port = wall.port();
    return computeOrWrite(parser, *op, inProcess);
}

int runRedundancyCommand(const QStringList &args)
{
    QCommandLineParser parser;
    addCardOptions(parser);
    parser.addPositionalArgument(QStringLiteral("REQUEST.json"),
                                 QStringLiteral("{\"redundancyArr\": [...], ...}"));
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Reads the display registers of the card (--port/--host, --usb or --serial) "
                       "back and makes "
                       "each backup port of the request a copy of its primary port; prints the "
                       "result and every write."));
    if (parsed >= 0)
        return parsed;
    cli::DeviceTarget target;
    if (parser.positionalArguments().size() != 1) {
        cli::printError(QStringLiteral("expected one REQUEST.json"));
        return cli::ExitUsage;
    }
    if (!cli::deviceTarget(parser, &target))
        return cli::ExitUsage;
    QVariantMap request;
    if (!readJsonObject(parser.positionalArguments().constFirst(), &request))
        return cli::ExitFailed;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return onCard(
        target, QStringLiteral("redundancy"),
        [&](cli::FacadeSession &session, const QString &guid) {
            QString why;
            if (!cli::windows::readDisplayBack(session, guid, StepTimeoutMs, &why)) {
                cli::printError(why);
                return int(cli::ExitFailed);
            }
            // One card: its link and its address unless the request names others.
            QVariantList entries;
            for (const QVariant &value : request.value(QStringLiteral("redundancyArr")).toList()) {
                QVariantMap entry = value.toMap();
                for (const char *key : {"primaryGuid", "backupGuid"})
                    if (!entry.contains(QLatin1String(key)))
                        entry.insert(QLatin1String(key), guid);
                if (!entry.contains(QStringLiteral("primaryIP")))
                    entry.insert(QStringLiteral("primaryIP"), target.host);
                entries.append(entry);
            }
            request.insert(QStringLiteral("redundancyArr"), entries);
            const int firstReply = session.replies.size();
            cli::windows::WriteCapture capture;
            const bool result = BLL_BusinessLogic_Desktop::instance()->sendRedundancyData(request);
            const QStringList open = capture.unacknowledged(session, firstReply, StepTimeoutMs);
            cli::printJson(QVariantMap{{QStringLiteral("result"), result && open.isEmpty()},
                                       {QStringLiteral("writes"), capture.writes}});
            if (!open.isEmpty())
                cli::printError(QStringLiteral("the card did not acknowledge the writes at %1")
                                    .arg(open.join(QStringLiteral(", "))));
            else if (!result)
                cli::printError(
                    QStringLiteral("an entry could not be copied (--verbose shows why)"));
            return int(result && open.isEmpty() ? cli::ExitOk : cli::ExitFailed);
        });
}

int runScreenSizeCommand(const QStringList &args)
{
    QCommandLineParser parser;
    addCardOptions(parser);
    const int parsed = cli::parseArguments(
        parser, args,
        QStringLiteral("Reads the display registers of the card (--port/--host, --usb or --serial) "
                       "back and prints "
                       "the size of the screen it drives: {\"width\", \"height\"}."));
    if (parsed >= 0)
        return parsed;
    cli::DeviceTarget target;
    if (!cli::noPositionalArguments(parser) || !cli::deviceTarget(parser, &target))
        return cli::ExitUsage;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return onCard(
        target, QStringLiteral("screen-size"),
        [&](cli::FacadeSession &session, const QString &guid) {
            QObject context;
            QVariantMap size;
            QObject::connect(
                &cli::layout::card(), &BLL_BusinessLogic_SendCardPackage::sig_sndScreenWh, &context,
                [&](int width, int height) {
                    size = {{QStringLiteral("width"), width}, {QStringLiteral("height"), height}};
                });
            cli::layout::card().setGetWidthHeightFlag(true);
            QString why;
            if (!cli::windows::readDisplayBack(session, guid, StepTimeoutMs, &why) ||
                !cli::waitUntil([&] { return !size.isEmpty(); }, StepTimeoutMs)) {
                cli::printError(why.isEmpty() ? QStringLiteral("no size reported") : why);
                return int(cli::ExitFailed);
            }
            cli::printJson(size);
            return int(cli::ExitOk);
        });
}
