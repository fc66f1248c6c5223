// `ledwall demo` and `ledwall send` as a user runs them, against the virtual wall
// on loopback.

#include "virtualwall.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runLedwall(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(LEDWALL_CLI_PATH), arguments);
    Run run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// The JSON lines of `send`.
QList<QVariantMap> jsonLines(const QByteArray &out)
{
    QList<QVariantMap> lines;
    for (const QByteArray &line : out.split('\n')) {
        if (!line.trimmed().isEmpty())
            lines << QJsonDocument::fromJson(line).object().toVariantMap();
    }
    return lines;
}

} // namespace

class TestFacadeCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void demoRunsEveryStep();
    void sendPrintsTheReply();
    void sendWithoutReplyFails();
    void sendRefusesBadUsage_data();
    void sendRefusesBadUsage();

private:
    QString writeMap(const QString &name, const QByteArray &json);
    Run runSend(const QString &map, int waitMs)
    {
        return runLedwall({"send", "--port", QString::number(m_wall.port()), "--wait", QString::number(waitMs), map});
    }

    QTemporaryDir m_dir;
    ledwall::sim::VirtualWall m_wall;
};

void TestFacadeCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_wall.start());
}

QString TestFacadeCli::writeMap(const QString &name, const QByteArray &json)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(json);
    return path;
}

void TestFacadeCli::demoRunsEveryStep()
{
    const Run run = runLedwall({"demo"});
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.constLast(), QByteArray("demo: OK"));
    for (const char *step : {"start-wall", "connect", "write", "read-back", "compare", "timeout"}) {
        const QByteArray expected = QByteArray("demo: ") + step + " ... ok";
        QVERIFY2(std::any_of(lines.cbegin(), lines.cend(),
                             [&](const QByteArray &l) { return l.startsWith(expected); }),
                 expected.constData());
    }
}

void TestFacadeCli::sendPrintsTheReply()
{
    QVERIFY(m_wall.writeMemory(0x80400, QByteArray::fromHex("0102030405060708")));
    const QString map = writeMap(QStringLiteral("read.json"),
                                 R"({"moduleName": "Module_ReadSendCardRegister", "sendCardFlag": 1,
                                     "m_regAddr": 525312, "readLength": 8, "timeout": 500})");
    const Run run = runSend(map, 500);
    QCOMPARE(run.exitCode, 0);
    const QList<QVariantMap> lines = jsonLines(run.out);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.at(0).value(QStringLiteral("signal")).toString(),
             QStringLiteral("sig_devicesModuleData"));
    const QVariantMap reply = lines.at(0).value(QStringLiteral("map")).toMap();
    QCOMPARE(reply.value(QStringLiteral("moduleName")).toString(),
             QStringLiteral("Module_SendCardFlashInfo"));
    QCOMPARE(reply.value(QStringLiteral("regData")).toString(), QStringLiteral("0102030405060708"));
}

void TestFacadeCli::sendWithoutReplyFails()
{
    m_wall.setSilentAddresses({0x80800});
    const QString map = writeMap(QStringLiteral("silent.json"),
                                 R"({"moduleName": "Module_ReadSendCardRegister", "sendCardFlag": 1,
                                     "m_regAddr": "0x80800", "readLength": 4, "timeout": 200})");
    const Run run = runSend(map, 1500);
    m_wall.clearFaults();
    QCOMPARE(run.exitCode, 1);
    const QList<QVariantMap> lines = jsonLines(run.out);
    QVERIFY(!lines.isEmpty());
    for (const QVariantMap &line : lines) {
        QCOMPARE(line.value(QStringLiteral("signal")).toString(), QStringLiteral("sig_timeoutCmd"));
        QCOMPARE(line.value(QStringLiteral("map")).toMap().value(QStringLiteral("m_reg")).toUInt(),
                 0x80800u);
    }
}

void TestFacadeCli::sendRefusesBadUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no port") << QStringList{"send", "m.json"} << 2;
    QTest::newRow("no file") << QStringList{"send", "--port", "40000"} << 2;
    QTest::newRow("port 0") << QStringList{"send", "--port", "0", "m.json"} << 2;
    QTest::newRow("bad host") << QStringList{"send", "--port", "40000", "--host", "wall.local", "m.json"} << 2;
    QTest::newRow("missing file") << QStringList{"send", "--port", "40000", "/nonexistent/m.json"} << 1;
}

void TestFacadeCli::sendRefusesBadUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const Run run = runLedwall(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.startsWith("ledwall: "));
}

QTEST_GUILESS_MAIN(TestFacadeCli)
#include "test_facade_cli.moc"
