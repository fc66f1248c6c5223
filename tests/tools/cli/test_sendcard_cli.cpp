// `ledwall firmware` and `ledwall checksum`, run as the user runs them.

#include <QtTest>

namespace
{
struct Run {
    int exitCode = -1;
    QVariantMap json;
};

Run ledwall(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(LEDWALL_CLI_PATH), args);
    Run run;
    if (!process.waitForFinished(30000))
        return run;
    run.exitCode = process.exitCode();
    run.json = QJsonDocument::fromJson(process.readAllStandardOutput()).object().toVariantMap();
    return run;
}
} // namespace

class TestSendCardCli : public QObject
{
    Q_OBJECT
private slots:
    void checksums()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("check.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("123456789");
        file.close();
        QCOMPARE(ledwall({"checksum", "crc32", path}).json.value("value").toString(),
                 QStringLiteral("cbf43926"));
        QCOMPARE(ledwall({"checksum", "crc16", path}).json.value("value").toString(),
                 QStringLiteral("31c3"));
        QCOMPARE(ledwall({"checksum", "md5", path}).exitCode, 2);
        QCOMPARE(ledwall({"checksum", "crc32", path + "x"}).exitCode, 1);
    }

    void packageThenCheck()
    {
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("image.bin"));
        QFile file(image);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(64 * 1024, char(0x5A)));
        file.close();
        const QString out = dir.filePath(QStringLiteral("fw.bin"));

        Run run = ledwall({"firmware", "package", "--image", image, "--card-type", "1",
                           "--drive-type", "A", "--version", "1.a", out});
        QCOMPARE(run.exitCode, 0);

        run = ledwall({"firmware", "check", out, "--card-flag", "2", "--card-type", "NRX-64"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.json.value("result").toInt(), 2);
        QCOMPARE(run.json.value("name").toString(), QStringLiteral("ReceFileCardTypeError"));
        QCOMPARE(ledwall({"firmware", "check", out, "--firm-index", "1"}).exitCode, 0);

        run = ledwall({"firmware", "info", out});
        QCOMPARE(run.json.value("firmIndex").toInt(), 1);
        QCOMPARE(ledwall({"firmware", "is-mcu", out}).json.value("isMCUFile").toBool(), false);

        run = ledwall({"firmware", "package", "--image", image, "--card-type", "1",
                       "--drive-type", "A", "--version", "3", out});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.json.value("name").toString(), QStringLiteral("ReceFileVersionError"));
        QCOMPARE(ledwall({"firmware", "package", out}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestSendCardCli)
#include "test_sendcard_cli.moc"
