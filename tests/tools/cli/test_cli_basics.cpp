// The ledwall tool's conventions and the virtual wall run as a process.

#include "simwire.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

using namespace ledwall::sim;

class TestCliBasics : public QObject
{
    Q_OBJECT

private slots:
    void versionAndHelp();
    void badUsageExitsWithTwo();
    void simCommandServesUntilTerminated();
    void simExecutableServesUntilInterrupted();
    void badWallFileFails();

private:
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    static Result run(const QString &program, const QStringList &arguments);
    static QByteArray ask(quint16 port, const QByteArray &request);
};

TestCliBasics::Result TestCliBasics::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// One request to the wall on loopback; its reply or empty after a short wait.
QByteArray TestCliBasics::ask(quint16 port, const QByteArray &request)
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::LocalHost, 0))
        return QByteArray();
    socket.writeDatagram(request, QHostAddress::LocalHost, port);
    if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(2000))
        return QByteArray();
    return socket.receiveDatagram(70000).data();
}

static QByteArray discoveryRequest()
{
    Frame frame;
    frame.flags = wire::FlagDiscovery | wire::FlagReplyExpected;
    frame.sequence = 3;
    return encodeFrame(frame);
}

static QByteArray waitForLine(QProcess &process, QByteArray (QProcess::*read)(), int timeoutMs)
{
    QByteArray text;
    QElapsedTimer timer;
    timer.start();
    while (!text.contains('\n') && timer.elapsed() < timeoutMs) {
        process.waitForReadyRead(50);
        text += (process.*read)();
    }
    return text;
}

void TestCliBasics::versionAndHelp()
{
    Result result = run(LEDWALL_CLI_PATH, {"--version"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray("ledwall " LEDWALL_EXPECTED_VERSION "\n"));

    result = run(LEDWALL_CLI_PATH, {"--help"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.contains("Usage: ledwall <command>"));
    // Every command shows with its summary.
    QVERIFY(QRegularExpression("\\n  sim +run the virtual LED wall").match(QString(result.out)).hasMatch());
    QVERIFY(result.err.isEmpty());

    result = run(LEDWALL_CLI_PATH, {"sim", "--help"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith("Usage: ledwall sim [options]"));
    QVERIFY(result.out.contains("--wall"));
}

void TestCliBasics::badUsageExitsWithTwo()
{
    Result result = run(LEDWALL_CLI_PATH, {"frobnicate"});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY(result.err.contains("unknown command 'frobnicate'"));
    QVERIFY(result.err.contains("Usage:"));

    QCOMPARE(run(LEDWALL_CLI_PATH, {}).exitCode, 2);
    QCOMPARE(run(LEDWALL_CLI_PATH, {"sim", "--port", "70000"}).exitCode, 2);
    QCOMPARE(run(LEDWALL_CLI_PATH, {"sim", "--port", "abc"}).exitCode, 2);
    QCOMPARE(run(LEDWALL_CLI_PATH, {"sim", "--no-such-option"}).exitCode, 2);
    QCOMPARE(run(LEDWALL_CLI_PATH, {"sim", "stray"}).exitCode, 2);
    QCOMPARE(run(LEDWALL_SIM_PATH, {"--port", "-1"}).exitCode, 2);
}

void TestCliBasics::simCommandServesUntilTerminated()
{
    QTemporaryDir dir;
    QFile wallFile(dir.filePath("wall.json"));
    QVERIFY(wallFile.open(QIODevice::WriteOnly));
    wallFile.write(R"({"name": "CLI wall", "ports": [{"port": 0}]})");
    wallFile.close();

    QProcess process;
    process.start(LEDWALL_CLI_PATH, {"sim", "--port", "0", "--wall", wallFile.fileName()});
    QVERIFY(process.waitForStarted(5000));
    const QByteArray line = waitForLine(process, &QProcess::readAllStandardOutput, 5000);
    const QJsonObject listening = QJsonDocument::fromJson(line).object();
    QCOMPARE(listening.value("address").toString(), QStringLiteral("127.0.0.1"));
    const int port = listening.value("port").toInt();
    QVERIFY2(port > 0 && port < 65536, line.constData());

    const QByteArray reply = ask(quint16(port), discoveryRequest());
    Frame frame;
    QCOMPARE(decodeDatagram(reply, &frame), RejectReason::None);
    QCOMPARE(frame.sequence, quint16(3));
    QVERIFY(frame.payload.contains("\"name\":\"CLI wall\""));

    process.terminate(); // SIGTERM: a clean stop with exit status 0
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestCliBasics::simExecutableServesUntilInterrupted()
{
    QProcess process;
    process.start(LEDWALL_SIM_PATH, {"--port", "0"});
    QVERIFY(process.waitForStarted(5000));
    const QByteArray line = waitForLine(process, &QProcess::readAllStandardOutput, 5000);
    const QRegularExpressionMatch match =
        QRegularExpression("^ledwall-sim listening on 127\\.0\\.0\\.1:(\\d+)\\n").match(QString(line));
    QVERIFY2(match.hasMatch(), line.constData());
    const quint16 port = quint16(match.captured(1).toUInt());
    QVERIFY(!ask(port, discoveryRequest()).isEmpty());

#ifdef Q_OS_UNIX
    ::kill(pid_t(process.processId()), SIGINT);
#else
    process.terminate();
#endif
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestCliBasics::badWallFileFails()
{
    QTemporaryDir dir;
    QFile wallFile(dir.filePath("broken.json"));
    QVERIFY(wallFile.open(QIODevice::WriteOnly));
    wallFile.write(R"({"ports": [{"port": "zero"}]})");
    wallFile.close();

    const Result result = run(LEDWALL_CLI_PATH, {"sim", "--wall", wallFile.fileName()});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.contains("ports[0]"), result.err.constData());
}

QTEST_GUILESS_MAIN(TestCliBasics)
#include "test_cli_basics.moc"
