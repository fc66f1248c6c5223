// The ledwall command-line tool and the virtual wall, run as a user runs them:
// arguments, JSON on stdout, messages on stderr, and the exit status (0 ok,
// 1 failed, 2 bad usage).

#include "echostreamer.h"
#include "loopbackfanout.h"
#include "simwire.h"
#include "virtualwall.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <csignal>

namespace
{

const QString Cli = QStringLiteral(LEDWALL_CLI_PATH);
const QString Sim = QStringLiteral(LEDWALL_SIM_PATH);

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonDocument json() const { return QJsonDocument::fromJson(out); }
};

Run run(const QStringList &args, const QByteArray &input = {}, const QString &program = Cli,
        const QString &workingDirectory = {})
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, args);
    Run result;
    if (!process.waitForStarted(10000))
        return result;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return result; // ~QProcess kills it
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QByteArray waitForLine(QProcess &process, int timeoutMs = 5000)
{
    QByteArray text;
    QElapsedTimer timer;
    timer.start();
    while (!text.contains('\n') && timer.elapsed() < timeoutMs) {
        process.waitForReadyRead(50);
        text += process.readAllStandardOutput();
    }
    return text;
}

// A discovery request to the wall on loopback; the reply's payload.
QByteArray discover(quint16 port)
{
    ledwall::sim::Frame frame;
    frame.flags = ledwall::sim::wire::FlagDiscovery | ledwall::sim::wire::FlagReplyExpected;
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    socket.writeDatagram(ledwall::sim::encodeFrame(frame), QHostAddress::LocalHost, port);
    if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(2000))
        return {};
    ledwall::sim::decodeDatagram(socket.receiveDatagram(70000).data(), &frame);
    return frame.payload;
}

// Gamut requests: primaries r, g, b and white w of the panel (pri_) and the target (dst_).
using Gamut = std::array<std::array<double, 2>, 4>;
const Gamut Srgb = {{{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}, {0.3127, 0.3290}}};

QJsonObject gamutRequest(const Gamut &panel, const Gamut &target)
{
    QJsonObject request;
    const char *names[4] = {"R", "G", "B", "W"};
    for (int i = 0; i < 4; ++i) {
        const QString n = QLatin1String(names[i]);
        request.insert("pri_" + n + "_Cx", panel[i][0]);
        request.insert("pri_" + n + "_Cy", panel[i][1]);
        request.insert("dst_" + n + "_Cx", target[i][0]);
        request.insert("dst_" + n + "_Cy", target[i][1]);
    }
    return request;
}

QByteArray toBytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

// A gamma curve as `ledwall gamma` prints it: the points in input order.
QByteArray curve(const QVector<int> &levels)
{
    QJsonArray points;
    for (int x = 0; x < levels.size(); ++x)
        points.append(QJsonObject{{"x", x}, {"y", levels.at(x)}});
    return QJsonDocument(points).toJson(QJsonDocument::Compact);
}

QStringList gammaArgs(const QString &in, const QString &out, const QString &max,
                      const QString &gamma, const QStringList &more = {})
{
    const QStringList args{"gamma", "--in-bits", in, "--out-bits", out, "--max", max};
    return args + (gamma.isEmpty() ? QStringList() : QStringList{"--gamma", gamma}) + more;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_wall.start());
        QVERIFY(writeFile(path("check.txt"), "123456789"));
        QVERIFY(writeFile(path("same.json"), toBytes(gamutRequest(Srgb, Srgb))));
        QVERIFY(writeFile(path("wall-layout.json"),
                          R"({"displayArr": [{"itemArr": [{"sender_port": 2, "x": 256, "y": 0,
                              "vcs_width": 256, "vcs_height": 128, "init": 1}]}]})"));
        QVERIFY(writeFile(path("broken-wall.json"), R"({"ports": [{"port": "zero"}]})"));
        QVERIFY(writeFile(path("huge-wall.json"), R"({"ports": [{"port": 1e300}]})"));
        // Past 2 GiB, sparse: summed in pieces, not read whole as empty.
        QFile huge(path("huge.bin"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize((qint64(1) << 31) + 16));
        QVERIFY(writeFile(path("image.bin"), QByteArray(64 * 1024, char(0x5A))));
        // An echo capture of "hello world" in packets of 4 bytes: reordered, one twice.
        const auto echo = ledwall::sim::echoFrameDatagrams(0, 7, "hello world", 4);
        QByteArray capture;
        for (const QByteArray &datagram : {echo[2], echo[1], echo[1], echo[0]})
            capture += QByteArray::fromHex("0000") + char(datagram.size() >> 8) +
                       char(datagram.size()) + datagram;
        QVERIFY(writeFile(path("capture.bin"), capture));
        QVERIFY(writeFile(path("calib.txt"), "2,1\n1,1,1.0,0.5,0.25\r\n2,1,0.5,0.5,0.5"));
        QVERIFY(writeFile(path("calib.json"), R"({"cabinets": ["0:0:0:0:2:1"]})"));
        // A 32 x 1 1-bit subtitle (pixels 0xA5), and one 200 rows tall with no pixels.
        const QByteArray header = QByteArray::fromHex(
            "424d3a000000000000003600000028000000200000000100000001000100000000000400000000000000"
            "000000000000000000000000");
        const QByteArray subtitle = header + QByteArray::fromHex("a5000000");
        QVERIFY(writeFile(path("sub.bin"), subtitle));
        QVERIFY(writeFile(path("tall.bin"), QByteArray(subtitle).replace(22, 1, "\xc8")));
        const Run package = run({"firmware", "package", "--image", path("image.bin"), "--card-type",
                                 "1", "--drive-type", "A", "--version", "1.a", path("fw.bin")});
        QVERIFY2(package.exitCode == 0, package.err.constData());
    }

    // One row per invocation. `out`: empty means nothing on stdout; JSON means an array
    // printed exactly or an object holding at least these members; anything else is a
    // pattern stdout must match. `err`: text stderr must contain.
    void commands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");

        const auto row = [](const char *name, const QStringList &args, int exitCode,
                            const QByteArray &out = {}, const QByteArray &err = {},
                            const QByteArray &input = {}, const QString &program = Cli) {
            QTest::newRow(name) << args << input << program << exitCode << out << err;
        };
        const QByteArray version =
            QRegularExpression::escape(QStringLiteral(LEDWALL_EXPECTED_VERSION)).toLatin1();

        // The tool itself.
        row("--version", {"--version"}, 0, "^ledwall " + version + "\\n$");
        row("--help lists every command", {"--help"}, 0,
            "Usage: ledwall <command>[\\s\\S]*\\n  sim +run the virtual LED wall");
        row("command --help", {"sim", "--help"}, 0,
            "^Usage: ledwall sim \\[options\\][\\s\\S]*--wall");
        row("no command", {}, 2, {}, "Usage: ledwall <command>");
        row("completion from the command table", {"completion"}, 0,
            "firmware\\) words=\"check info package is-mcu upgrade read\"[\\s\\S]*"
            "complete -o filenames -F _ledwall ledwall\\n$");
        row("unknown command", {"frobnicate"}, 2, {},
            "ledwall: unknown command 'frobnicate'\nUsage:");
        row("demo runs every step", {"demo"}, 0,
            "demo: start-wall \\.\\.\\. ok.*\\n[\\s\\S]*demo: connect \\.\\.\\. ok[\\s\\S]*"
            "demo: write \\.\\.\\. ok[\\s\\S]*demo: read-back \\.\\.\\. ok[\\s\\S]*"
            "demo: compare \\.\\.\\. ok[\\s\\S]*demo: timeout \\.\\.\\. ok[\\s\\S]*"
            "demo: windows-read-back \\.\\.\\. ok[\\s\\S]*demo: screen-size \\.\\.\\. "
            "ok[\\s\\S]*demo: calib-verify \\.\\.\\. ok[\\s\\S]*\\ndemo: OK\\n$");

        // sim: the port, options and the wall file.
        row("sim port too big", {"sim", "--port", "70000"}, 2, {}, "ledwall: ");
        row("sim port not a number", {"sim", "--port", "abc"}, 2, {}, "ledwall: ");
        row("sim unknown option", {"sim", "--no-such-option"}, 2, {}, "no-such-option");
        row("sim stray argument", {"sim", "stray"}, 2, {}, "stray");
        row("ledwall-sim negative port", {"--port", "-1"}, 2, {}, {}, {}, Sim);
        row("sim bad wall file", {"sim", "--wall", ""}, 1, {}, "ports[0]");
        row("sim number beyond any integer", {"sim", "--wall", "huge-wall.json"}, 1, {}, "port");

        // checksum: the well-known check values of "123456789".
        row("crc32", {"checksum", "crc32", ""}, 0, R"({"value": "cbf43926"})");
        row("crc16", {"checksum", "crc16", ""}, 0, R"({"value": "31c3"})");
        row("unknown checksum", {"checksum", "md5", ""}, 2, {}, "md5");
        row("checksum of a missing file", {"checksum", "crc32", "missing.txt"}, 1, {},
            "missing.txt");
        row("checksum past 2 GiB", {"checksum", "crc32", "huge.bin"}, 0,
            R"({"value": "281d175d"})");

        // firmware: fw.bin is packaged for card type 1 with firmware index 1.
        row("firmware check wrong card",
            {"firmware", "check", "", "--card-flag", "2", "--card-type", "NRX-64"}, 1,
            R"({"result": 2, "name": "ReceFileCardTypeError"})");
        row("firmware check index", {"firmware", "check", "", "--firm-index", "1"}, 0,
            R"({"result": 0, "name": "ReceFileNoError"})");
        row("firmware info", {"firmware", "info", ""}, 0, R"({"firmIndex": 1})");
        row("firmware is-mcu", {"firmware", "is-mcu", ""}, 0, R"({"isMCUFile": false})");
        row("firmware bad version",
            {"firmware", "package", "--image", "image.bin", "--card-type", "1", "--drive-type", "A",
             "--version", "3", "out.bin"},
            1, R"({"name": "ReceFileVersionError"})");
        row("firmware package without image", {"firmware", "package", "out.bin"}, 2, {}, "image");
        row("firmware upgrade for another model",
            {"firmware", "upgrade", "--port", "1", "--cards", "0:0", "--card-type", "NRX-64", ""},
            1, R"({"name": "ReceFileCardTypeError"})", "--force");
        row("firmware upgrade all without the port table's size",
            {"firmware", "upgrade", "--port", "1", "--cards", "all", ""}, 2, {}, "--eth-num");
        row("firmware upgrade cards not a list",
            {"firmware", "upgrade", "--port", "1", "--cards", "0-0", ""}, 2, {}, "PORT:CARD");
        row("firmware read two cards",
            {"firmware", "read", "--port", "1", "--cards", "0:0,0:1", "--size", "8", "--card-type",
             "1", "--drive-type", "A", "--version", "1.a", "out.bin"},
            2, {}, "one card");

        // calib: calib.txt has a size header, then two pixels of three coefficients.
        row("calib pack", {"calib", "pack", "--width", "2", "--height", "1", "", "calib.bin"}, 0,
            R"({"bytes": 8, "pixels": 2})");
        row("calib check", {"calib", "check", ""}, 0, R"({"empty": false, "encrypted": false})");
        // The wall has no cabinets: the blocks go out, the wall refuses them.
        row("calib send to a card the wall lacks",
            {"calib", "send", "--port", QString::number(m_wall.port()), "--layout", "calib.json",
             "--fast", ""},
            1, R"({"result": true, "last_m_regAddr": 1048576})", "refused by the card");

        // edid: the timing table by size and refresh in mHz.
        row("edid 1080p60", {"edid", "--width", "1920", "--height", "1080", "--refresh", "60000"},
            0, R"({"isExist": true, "VIC": 16, "hblnk": 280})");
        row("edid refresh in Hz",
            {"edid", "--width", "1920", "--height", "1080", "--refresh", "60"}, 1,
            R"({"isExist": false})");
        row("edid without height", {"edid", "--width", "1920", "--refresh", "60000"}, 2, {},
            "height");

        // gamut: the request from stdin or a file; identical gamuts give the unit diagonal,
        // its words most significant byte first.
        const QByteArray unit = R"({"buffer_CMR": 2048, "buffer_CMG": 2048, "buffer_CMB": 2048,
            "buffer_CMR_1": 0, "buffer_CMR_3": 8, "buffer_CMR_4": 0, "CMrr": 2048, "CMbg": 0,
            "sCgg": "1"})";
        row("gamut from stdin", {"gamut", "-"}, 0, unit, {}, toBytes(gamutRequest(Srgb, Srgb)));
        row("gamut from a file", {"gamut", "same.json"}, 0, unit);
        QJsonObject request = gamutRequest(Srgb, Srgb);
        request.remove("dst_B_Cy");
        row("gamut key missing", {"gamut", "-"}, 2, {}, "dst_B_Cy", toBytes(request));
        request = gamutRequest(Srgb, Srgb);
        request.insert("pri_W_Cx", "0.3127");
        row("gamut number as text", {"gamut", "-"}, 2, {}, "pri_W_Cx", toBytes(request));
        // Green on top of red: no matrix exists; the identity's words come out, but the
        // command says it did not do what was asked.
        Gamut flat = Srgb;
        flat[1] = flat[0];
        row("gamut degenerate", {"gamut", "-"}, 1, R"({"buffer_CMR": 2048})", "pri_",
            toBytes(gamutRequest(flat, Srgb)));
        row("gamut without input", {"gamut"}, 2);
        row("gamut truncated JSON", {"gamut", "-"}, 1, {}, {}, R"({"pri_R_Cx": 0.64,)");
        row("gamut not an object", {"gamut", "-"}, 1, {}, {}, "[1, 2]");
        row("gamut missing file", {"gamut", "missing.json"}, 1);

        // gamma: the options reach the curve (its values are checked in process).
        row("gamma linear", gammaArgs("2", "8", "255", "1"), 0, curve({0, 85, 170, 255}));
        row("gamma mode 1, 8 bits", gammaArgs("2", "8", "255", "2.2", {"--mode", "1"}), 0,
            curve({0, 256, 512, 768}));
        row("gamma in-bits 17", gammaArgs("17", "8", "255", "2.2"), 2, {}, "in-bits");
        row("gamma out-bits 0", gammaArgs("4", "0", "255", "2.2"), 2, {}, "out-bits");
        row("gamma negative max", gammaArgs("4", "8", "-1", "2.2"), 2, {}, "max");
        row("gamma 0", gammaArgs("4", "8", "255", "0"), 2, {}, "gamma");
        row("gamma nan", gammaArgs("4", "8", "255", "nan"), 2, {}, "gamma");
        row("gamma mode 2", gammaArgs("4", "8", "255", "2.2", {"--mode", "2"}), 2, {}, "mode");
        row("gamma missing", gammaArgs("4", "8", "255", {}), 2, {}, "gamma");

        // chip: the emulated chip library; a set is confirmed by the fetch after it.
        const QByteArray width = R"({"configFlag": 0, "configIndex": 3, "moduleWidth": "96"})";
        row("chip params", {"chip", "params", "--chip", "LS9930"}, 0, R"({"HighBitsNum": "a"})");
        row("chip set", {"chip", "set", "--chip", "LS9929", "-"}, 0,
            R"({"results": [{"result": 0}]})", {}, width);
        row("chip set refused", {"chip", "set", "--chip", "LS9929", "-"}, 1,
            R"({"results": [{"result": 0}, {"result": 7}]})", {},
            "[" + width + R"(, {"configFlag": 0, "configIndex": 3, "moduleWidth": "5000"}])");
        row("chip defaults", {"chip", "defaults", "--chip", "LS9935", "--index", "1"}, 0,
            R"({"defaultClockPhase": 4})");
        row("chip unknown", {"chip", "params", "--chip", "ls9929"}, 2, {}, "ls9929");
        row("chip filedata missing", {"chip", "filedata", "--mode", "0", "missing.txt"}, 1, {},
            "missing.txt");

        // locus: a point against the spectral locus.
        row("locus D65 white", {"locus", "0.3127", "0.3290"}, 0, R"({"inside": true})");
        row("locus above green", {"locus", "0.1", "0.9"}, 0, R"({"inside": false})");
        row("locus negative x", {"locus", "-0.1", "0.3"}, 0, R"({"inside": false})");
        row("locus one number", {"locus", "0.3"}, 2);
        row("locus not a number", {"locus", "0.3", "abc"}, 2, {}, "abc");

        // send: the options before any packet goes out.
        row("send without port", {"send", "m.json"}, 2, {}, "ledwall: ");
        row("send without file", {"send", "--port", "40000"}, 2, {}, "ledwall: ");
        row("send port 0", {"send", "--port", "0", "m.json"}, 2, {}, "ledwall: ");
        row("send to a named host", {"send", "--port", "40000", "--host", "wall.local", "m.json"},
            2, {}, "ledwall: ");
        row("send missing file", {"send", "--port", "40000", "/nonexistent/m.json"}, 1, {},
            "ledwall: ");

        row("devices without port", {"devices", "--interface", "loopback"}, 2, {}, "--port");
        row("devices unknown kind", {"devices", "--kinds", "bluetooth"}, 2, {}, "bluetooth");
        row("devices unknown interface", {"devices", "--port", "1", "--interface", "nope"}, 2, {},
            "no interface 'nope'");
        row("devices where nobody answers",
            {"devices", "--interface", "loopback", "--port", "9", "--kinds", "network", "--timeout",
             "100"},
            1, "[]", "no device found");

        // One way of naming a device, for every command that talks to one; a device
        // that cannot be reached is a failure that says why.
        row("send two ways", {"send", "--port", "40000", "--usb", "m.json"}, 2, {}, "one way");
        row("baud without serial", {"layout", "read", "--port", "1", "--baud", "9600"}, 2, {},
            "--baud");
        row("no such serial port", {"layout", "read", "--serial", "ledwall-no-such-port"}, 1, {},
            "cannot open a link to serial port ledwall-no-such-port: ");
        row("no USB controller", {"layout", "rebuild", "--usb", "--eth-num", "1"}, 1, {},
            "cannot open a link to the USB controller");

        // layout write: done only when the card acknowledges every chunk; a port that
        // takes the datagrams and never answers fails it at the first chunk.
        auto *silentCard = new QUdpSocket(this);
        QVERIFY(silentCard->bind(QHostAddress::LocalHost, 0));
        row("layout write unconfirmed",
            {"layout", "write", "--port", QString::number(silentCard->localPort()), "same.json"}, 1,
            {}, "0x120000");
        row("calib send unconfirmed",
            {"calib", "send", "--port", QString::number(silentCard->localPort()), "--layout",
             "calib.json", "--fast", ""},
            1, R"({"result": true})", "port address 0x100000 was not taken");
        row("chip send unconfirmed",
            {"chip", "send", "--port", QString::number(silentCard->localPort()), "--chip",
             "LS9929"},
            1, R"({"written": false})", "not on the card");
        row("chip send without port", {"chip", "send", "--chip", "LS9929"}, 2, {}, "port");

        // blocks: a U-disk image needs no device; a block written to the wall's
        // registers reads back; a read without an answer fails.
        row("blocks into a U-disk image",
            {"blocks", "write", "--udisk", "u.bin", "--address", "0x10C000", "check.txt"}, 0,
            R"({"frames": 1, "bytes": 40})");
        const QString wallPort = QString::number(m_wall.port());
        row("blocks write to the sending card",
            {"blocks", "write", "--port", wallPort, "--address", "0x80800", "check.txt"}, 0,
            R"({"written": true, "bytes": 9})");
        row("blocks read it back",
            {"blocks", "read", "--port", wallPort, "--address", "0x80800", "--length", "9",
             "back.bin"},
            0, R"({"bytes": 9})");
        row("blocks read from a silent card",
            {"blocks", "read", "--port", QString::number(silentCard->localPort()), "--address",
             "0x80800", "--length", "9", "back.bin"},
            1, {}, "no answer for 0x80800");
        row("blocks address not a number",
            {"blocks", "write", "--udisk", "u.bin", "--address", "x12", "check.txt"}, 2, {},
            "--address");

        // windows: port 2 of bank B written at its own address, acknowledged.
        row("windows compute",
            {"windows", "compute", "--op", "diffwh", "--sc-type", "4k", "wall-layout.json"}, 0,
            R"({"result": true, "ports": [{"port": 2, "offset": {"x": 256, "y": 0, "width": 256,
                "height": 128}, "windows": [{"x": 0, "y": 0, "w": 256, "h": 128}]}]})");
        row("windows compute writes", {"windows", "compute", "--op", "all", "wall-layout.json"}, 0,
            R"("address": "0x820000",\s*"data": "[0-9a-f]{2048}",\s*"op": "0xa1")");
        row("windows bad layout", {"windows", "compute", "--op", "multi", "same.json"}, 1,
            R"({"result": false, "writes": []})", "not computed");
        row("windows unknown op", {"windows", "compute", "--op", "grid", "wall-layout.json"}, 2, {},
            "--op");
        row("windows write without port", {"windows", "write", "--op", "all", "wall-layout.json"},
            2, {}, "--port");
        row("screen-size without port", {"screen-size"}, 2, {}, "--port");

        // echo: frames from the wall's echo role, a capture reassembled.
        row("echo from the wall",
            {"echo", "--port", QString::number(m_wall.port()), "--slot", "1", "--frames", "5"}, 0,
            "\"0\": \\{\\s*\"decoded\": [1-9][\\s\\S]*\"1\": \\{\\s*\"decoded\": [1-9]");
        row("echo without slot", {"echo", "--port", "40000"}, 2, {}, "slot");
        row("echo reassemble", {"echo", "reassemble", "capture.bin"}, 0,
            "^\\{\"bytes\":11,\"channel\":0,\"sha256\":\"b94d27b9934d3e08a52e52d7da7dabfac484efe3"
            "7a5380ee9088f7ace2efcde9\"\\}\\n$",
            "1 duplicate parts");
        row("echo reassemble truncated", {"echo", "reassemble", "fw.bin"}, 1, {}, "offset");

        // subtitle convert and tables: the pure conversions.
        row("subtitle convert", {"subtitle", "convert", "sub.bin", "--bg", "0,0,0,1"}, 0,
            R"({"bytes": "ff40ff4040ff40ff404040404040404040404040404040404040404040404040"})");
        row("subtitle too tall", {"subtitle", "convert", "tall.bin"}, 1,
            R"({"error": "Bitmap height exceeds size,Bitmap pixel data out of range"})");
        row("subtitle bad colour", {"subtitle", "convert", "sub.bin", "--fg", "1,2,3"}, 2, {},
            "--fg");
        row("tables output-setup", {"tables", "output-setup", "-"}, 0,
            R"({"recordLength": 38, "frames": [{"startIndex": 1, "recordCount": 1, "totalCount": 1,
                "records": ["0003010102000000000000000000000000000000000000000000000000000000000000000000"]}]})",
            {}, R"([{"portSwitch": 1, "portNum": 3, "brightness": 258}, {"portSwitch": 0}])");
        row("tables unknown kind", {"tables", "fusion", "-"}, 2, {}, "edge-fusion");

        // presets and subtitle send: against the wall's processor role.
        row("presets run", {"presets", "run", "--port", wallPort}, 0,
            R"({"result": true, "presets": 16, "scenesFinished": 17})", "scene 17 stored");
        row("presets run without port", {"presets", "run"}, 2, {}, "--port");
        row("subtitle send", {"subtitle", "send", "--port", wallPort, "sub.bin"}, 0,
            R"({"result": true, "chunks": 1, "message": "Bitmap transfer completed"})",
            "chunk 1 of 1 acknowledged");
        row("subtitle send without file", {"subtitle", "send", "--port", wallPort}, 2, {},
            "bitmap");

        row("server listen without port", {"server", "--listen", "127.0.0.1"}, 2, {}, "--listen");

        // users: options that are not theirs.
        row("users list with password", {"users", "--db", "u.db", "list", "--password", "x"}, 2);
        row("users unknown action", {"users", "--db", "u.db", "rename", "op"}, 2, {}, "rename");
    }

    void commands()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QString, program);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);

        // Files named in the rows live in the scratch directory; an empty name is the
        // file the command is about.
        static const QMap<QString, QString> subjects{{"checksum", "check.txt"},
                                                     {"firmware", "fw.bin"},
                                                     {"calib", "calib.txt"},
                                                     {"sim", "broken-wall.json"}};
        for (QString &arg : args) {
            if (arg.isEmpty())
                arg = path(subjects.value(args.value(0)));
            else if (arg.contains(QRegularExpression("^[\\w-]+\\.(txt|json|bin|db)$")))
                arg = path(arg);
        }

        const Run result = run(args, input, program);
        QVERIFY2(!err.isEmpty() || result.exitCode != 2 || !result.err.isEmpty(),
                 "bad usage says why on stderr");
        QVERIFY2(result.err.contains(err), result.err.constData());
        QTEST(result.exitCode, "exitCode");
        if (out.isEmpty()) {
            QVERIFY2(result.out.isEmpty(), result.out.constData());
        } else if (out.startsWith('[')) {
            QCOMPARE(result.json().toJson(QJsonDocument::Compact), out);
        } else if (out.startsWith('{')) {
            const QJsonObject actual = result.json().object();
            const QJsonObject expected = QJsonDocument::fromJson(out).object();
            QVERIFY(!expected.isEmpty());
            for (auto it = expected.begin(); it != expected.end(); ++it)
                QVERIFY2(actual.value(it.key()) == it.value(),
                         qPrintable(it.key() + ": " + result.out));
        } else {
            QVERIFY2(QRegularExpression(QString::fromUtf8(out))
                         .match(QString::fromUtf8(result.out))
                         .hasMatch(),
                     result.out.constData());
        }
    }

    // Both ways to run the wall print where it listens, answer discovery there, and
    // stop cleanly with status 0 on SIGTERM (ledwall sim) and SIGINT (ledwall-sim).
    void simServesUntilStopped_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("listening");
        QTest::addColumn<int>("signal");
        QTest::newRow("ledwall sim")
            << Cli << QStringList{"sim", "--port", "0", "--wall", "wall.json"}
            << R"(^\{"address":\s*"127\.0\.0\.1",\s*"port":\s*(\d+)\})" << int(SIGTERM);
        QTest::newRow("ledwall-sim")
            << Sim << QStringList{"--port", "0"}
            << R"(^ledwall-sim listening on 127\.0\.0\.1:(\d+)\n)" << int(SIGINT);
    }

    void simServesUntilStopped()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, listening);
        QVERIFY(writeFile(path("wall.json"), R"({"name": "CLI wall", "ports": [{"port": 0}]})"));
        args.replaceInStrings(QRegularExpression("^wall.json$"), path("wall.json"));
        QProcess process;
        process.start(program, args);
        QVERIFY(process.waitForStarted(5000));
        const QByteArray line = waitForLine(process);
        const QRegularExpressionMatch match = QRegularExpression(listening).match(QString(line));
        QVERIFY2(match.hasMatch(), line.constData());
        QVERIFY(
            discover(quint16(match.captured(1).toUInt()))
                .contains(program == Cli ? "\"name\":\"CLI wall\"" : "\"name\":\"ledwall-sim\""));
        QFETCH(int, signal);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    // server: listens where it is told, prints what a client sends, stops on SIGTERM.
    void serverPrintsClientMessages()
    {
        QProcess process;
        process.start(Cli, {"server", "--listen", "127.0.0.1:0"});
        QVERIFY(process.waitForStarted(5000));
        const QJsonObject listening = QJsonDocument::fromJson(waitForLine(process)).object();
        QCOMPARE(listening.value("address").toString(), QString("127.0.0.1"));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, quint16(listening.value("port").toInt()));
        QVERIFY(client.waitForConnected(5000));
        const QByteArray xml =
            R"(<message type="2"><item key="cmd" type="string" value="Go"/></message>)";
        QByteArray header(4, '\0');
        header[3] = char(xml.size());
        client.write(header + xml);
        QVERIFY(client.waitForBytesWritten(5000));
        QCOMPARE(QJsonDocument::fromJson(waitForLine(process)).object().value("map").toObject(),
                 QJsonObject({{"cmd", "Go"}}));
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
    }

    // send prints one JSON line per signal: the reply, or the time-out of a silent
    // address; the address may be given as a number or as hexadecimal text.
    void send_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<int>("wait");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("signal");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("reply") << QByteArray("525312") << 500 << 0 << "sig_devicesModuleData"
                               << "regData" << QJsonValue("0102030405060708");
        QTest::newRow("time-out") << QByteArray("\"0x80400\"") << 1500 << 1 << "sig_timeoutCmd"
                                  << "m_reg" << QJsonValue(0x80400);
    }
    void send()
    {
        QFETCH(QByteArray, address);
        QFETCH(int, wait);
        QFETCH(QString, key);
        QVERIFY(m_wall.writeMemory(0x80400, QByteArray::fromHex("0102030405060708")));
        if (wait > 500)
            m_wall.setSilentAddresses({0x80400});
        QVERIFY(writeFile(path("send.json"),
                          R"({"moduleName": "Module_ReadSendCardRegister", "sendCardFlag": 1,
                                              "readLength": 8, "timeout": 200, "m_regAddr": )" +
                              address + "}"));
        const Run result = run({"send", "--port", QString::number(m_wall.port()), "--wait",
                                QString::number(wait), path("send.json")});
        m_wall.clearFaults();
        QTEST(result.exitCode, "exitCode");
        const QList<QByteArray> lines = result.out.trimmed().split('\n');
        QVERIFY(wait > 500 || lines.size() == 1);
        for (const QByteArray &text : lines) {
            const QJsonObject line = QJsonDocument::fromJson(text).object();
            QTEST(line.value("signal").toString(), "signal");
            QTEST(line.value("map").toObject().value(key), "value");
        }
    }

    // devices: three walls behind a loopback stand-in for a broadcast address each
    // answer the search once; the search never leaves loopback.
    void devicesFindsEveryWall()
    {
        ledwall::sim::VirtualWall walls[3];
        QList<ledwall::sim::LoopbackFanOut::Endpoint> endpoints;
        for (auto &wall : walls) {
            QVERIFY(wall.start());
            endpoints.append({QHostAddress(QHostAddress::LocalHost), wall.port()});
        }
        ledwall::sim::LoopbackFanOut fanOut;
        QVERIFY(fanOut.start(endpoints));
        QProcess process; // the fan-out needs this thread's event loop meanwhile
        process.start(Cli,
                      {"devices", "--interface", "loopback", "--port",
                       QString::number(fanOut.port()), "--kinds", "network", "--timeout", "500"});
        QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 20000);
        QCOMPARE(process.exitCode(), 0);
        const QJsonArray found = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
        QCOMPARE(found.size(), 3);
        for (const QJsonValue &device : found) {
            QCOMPARE(device["kind"].toString(), QString("network"));
            QCOMPARE(device["address"].toString(), QString("127.0.0.1"));
            QCOMPARE(device["name"].toString(), QString("ledwall-sim"));
        }
    }

    // firmware upgrade: four cards on two ports through a wire that loses every 50th
    // request and duplicates every reply; each card ends up holding the image. A card
    // that is not there fails, named, and nothing is called written.
    void firmwareUpgradeOverALossyWire()
    {
        ledwall::sim::VirtualWall wall;
        ledwall::sim::WallDescription twoPorts;
        twoPorts.ports.resize(2);
        for (int p = 0; p < 2; ++p) {
            twoPorts.ports[p].port = p;
            twoPorts.ports[p].cabinets = {{0, 64, 32}, {1, 64, 32}};
        }
        wall.setWall(twoPorts);
        QVERIFY(wall.start());
        QByteArray image(8 * 1024, '\0');
        for (int i = 0; i < image.size(); ++i)
            image[i] = char(i * 13 + 7);
        QVERIFY(writeFile(path("small.bin"), image));
        QCOMPARE(run({"firmware", "package", "--image", path("small.bin"), "--card-type", "1",
                      "--drive-type", "A", "--version", "1.a", path("small.rcfw")})
                     .exitCode,
                 0);
        const QStringList upgrade{"firmware",    "upgrade", "--port",  QString::number(wall.port()),
                                  "--card-type", "NRX-72",  "--quiet", path("small.rcfw")};
        wall.setDropEveryNth(50);
        wall.setDuplicateReplies(true);
        const Run result = run(upgrade + QStringList{"--cards", "0:0,0:1,1:0,1:1"});
        wall.clearFaults();
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QJsonArray cards = result.json()["cards"].toArray();
        QCOMPARE(cards.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(cards[i]["written"].toBool() && cards[i]["verified"].toBool());
            QCOMPARE(wall.readReceivingCard(i / 2, i % 2, 0xAF000000, image.size()), image);
        }

        const Run missing = run(upgrade + QStringList{"--cards", "1:7", "--no-verify"});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(!missing.json()["cards"][0]["written"].toBool());
        QVERIFY(missing.json()["cards"][0]["verified"].isNull());
        QVERIFY2(missing.err.contains("upgrade failed for card 1:7"), missing.err.constData());
    }

    void usersNeedAnAdministrator()
    {
        const auto users = [this](const QStringList &args, const QByteArray &input = {}) {
            return run(QStringList{"users", "--db", path("users.db")} + args, input);
        };
        const auto reason = [](const Run &r) {
            return r.json().object().value("reason").toString();
        };

        // The first user needs no --as; later ones need an administrator.
        QCOMPARE(users({"add", "boss", "--password", "b0ss-pw", "--level", "0"}).exitCode, 0);
        Run result = users({"add", "op", "--password", "op-pw"});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(reason(result), QStringLiteral("notLoggedIn"));
        // "-": the password from stdin.
        result = users({"add", "op", "--password", "-", "--as", "boss", "--as-password", "b0ss-pw"},
                       "op-pw\n");
        QCOMPARE(result.exitCode, 0);
        // The password from stdin is the one stored: op can log in, but not remove boss.
        result = users({"remove", "boss", "--as", "op", "--as-password", "op-pw"});
        QCOMPARE(reason(result), QStringLiteral("notPermitted"));

        const QByteArray stored = readFile(path("users.db"));
        result = users({"list"});
        QCOMPARE(result.json().object().value("userList").toArray().size(), 2);
        QVERIFY(!result.out.contains("pw"));
        QCOMPARE(readFile(path("users.db")), stored); // listing changes nothing

        // A store without a users table cannot be listed, and stays as it was.
        QVERIFY(writeFile(path("empty.db"), {}));
        result = run({"users", "--db", path("empty.db"), "list"});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(reason(result), QStringLiteral("databaseError"));
        QCOMPARE(QFileInfo(path("empty.db")).size(), qint64(0));
    }

    // A saved device text comes back byte for byte, a NUL in a name and Latin-1
    // letters included.
    void layoutFilesRoundTrip()
    {
        const QByteArray text("basic_info:0,1,1,0display:0,1,2,0,0,Lob\0by\xFC"
                              "item:0,1,0,0,0,128,128,0,0,0,0,0,0",
                              77);
        QVERIFY(writeFile(path("layout.txt"), text + "\n"));
        const Run decoded = run({"layout", "decode", path("layout.txt")});
        QCOMPARE(decoded.exitCode, 0);
        QVERIFY(writeFile(path("layout.json"), decoded.out));
        QCOMPARE(run({"layout", "encode", path("layout.json")}).out, text + "\n");

        // The same layout drawn: one display, one cabinet labelled port:card.
        const Run drawn = run({"layout", "render", path("layout.json"), "--svg", path("l.svg")});
        QCOMPARE(drawn.exitCode, 0);
        QCOMPARE(drawn.json()["cabinets"].toInt(), 1);
        const QByteArray svg = readFile(path("l.svg"));
        QVERIFY(svg.contains("<svg") && svg.contains(">0:0</text>") && svg.contains("Lob"));
    }

    void locusNeedsTheTableBesideTheProgram()
    {
        // The program copied away from the table the build puts beside the original.
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("ledwall"));
        QVERIFY(QFile::copy(Cli, program));
        QFile::setPermissions(program, QFile::permissions(Cli));
        const QStringList args{"locus", "0.3127", "0.3290"};
        Run result = run(args, {}, program, dir.path());
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("Data.txt"), result.err.constData());

        // A damaged table is no table, and a Data.txt in the working directory does
        // not stand in for the program's own.
        QVERIFY(writeFile(dir.filePath("Data.txt"), "wave x y\nnot a table\n"));
        QCOMPARE(run(args, {}, program, dir.path()).exitCode, 1);
        result = run(args, {}, Cli, dir.path());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.json().object().value("inside").toBool(), true);
    }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    ledwall::sim::VirtualWall m_wall;
};

QTEST_GUILESS_MAIN(TestCli)

#include "test_cli.moc"
