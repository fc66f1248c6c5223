// Whole-file reading never takes more than the cap, tells why it failed, and maps
// only regular files.

#include "filereader.h"

#include <QTemporaryDir>
#include <QtTest>

using ledwall::FileContents;

class TestFileReader : public QObject
{
    Q_OBJECT

private slots:
    void readWholeFile_data();
    void readWholeFile();
    void mappedFile();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return file.fileName();
    }

    QTemporaryDir m_dir;
};

void TestFileReader::readWholeFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("cap");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("size");

    const QString tenBytes = write("ten", QByteArray(10, 'x'));
    QTest::newRow("at the cap") << tenBytes << qint64(10) << int(FileContents::Status::Ok) << 10;
    QTest::newRow("one past the cap")
        << tenBytes << qint64(9) << int(FileContents::Status::TooLarge) << 0;
    QTest::newRow("empty") << write("empty", {}) << qint64(0) << int(FileContents::Status::Ok) << 0;
    QTest::newRow("missing") << m_dir.filePath("missing") << qint64(10)
                             << int(FileContents::Status::OpenFailed) << 0;
    // A device without an end is read only up to the cap.
    QTest::newRow("endless device")
        << QStringLiteral("/dev/zero") << qint64(4096) << int(FileContents::Status::TooLarge) << 0;
}

void TestFileReader::readWholeFile()
{
    QFETCH(QString, path);
    QFETCH(qint64, cap);
    QFETCH(int, status);
    QFETCH(int, size);
    const FileContents contents = ledwall::readWholeFile(path, cap);
    QCOMPARE(int(contents.status), status);
    QCOMPARE(contents.bytes.size(), size);
    QCOMPARE(contents.errorString.isEmpty(), contents.ok());
}

void TestFileReader::mappedFile()
{
    const QByteArray bytes = QByteArray::fromHex("a55a00ff10");
    ledwall::MappedFile file;
    QVERIFY(file.open(write("mapped", bytes), 5));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(file.data()), int(file.size())), bytes);

    QVERIFY(!file.open(write("big", bytes), 4));
    QVERIFY(file.errorString().contains("larger than 4"));
    QVERIFY(!file.open(QStringLiteral("/dev/zero"), 1 << 20));
    QCOMPARE(file.errorString(), QStringLiteral("not a regular file"));
    QVERIFY(file.open(write("empty", {}), 0));
    QCOMPARE(file.size(), qint64(0));
}

QTEST_GUILESS_MAIN(TestFileReader)
#include "test_filereader.moc"
