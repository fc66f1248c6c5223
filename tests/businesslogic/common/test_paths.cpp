// Operations that walk or delete files refuse paths that would reach far beyond
// what the caller meant: the working directory (an empty path) or a whole disk.

#include "bll_businesslogic_desktop.h"
#include "bll_database_desktop.h"
#include "filepaths.h"

#include <QTemporaryDir>
#include <QtTest>

class TestPaths : public QObject
{
    Q_OBJECT

private slots:
    void refusedDirectories_data();
    void refusedDirectories();
    void facadeRefusesTheWorkingDirectory();
    void databasePathKnownBeforeFirstUse();
};

void TestPaths::refusedDirectories_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("safe");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank") << QStringLiteral("  ") << false;
    QTest::newRow("root") << QStringLiteral("/") << false;
    QTest::newRow("doubled root") << QStringLiteral("//") << false;
    QTest::newRow("drive") << QStringLiteral("C:") << false;
    QTest::newRow("drive root") << QStringLiteral("C:\\") << false;
    QTest::newRow("folder") << QStringLiteral("/tmp/screens") << true;
    QTest::newRow("relative folder") << QStringLiteral("screens") << true;
}

void TestPaths::refusedDirectories()
{
    QFETCH(QString, path);
    QFETCH(bool, safe);
    QCOMPARE(ledwall::isSafeDirectoryToWalk(path), safe);
}

void TestPaths::facadeRefusesTheWorkingDirectory()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QFile file(QStringLiteral("keep.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    BLL_BusinessLogic_Desktop *facade = BLL_BusinessLogic_Desktop::instance();
    facade->clearDir(QString());
    QVariantList listed;
    facade->getFileDir(QString(), listed);
    const QVariantList screens = facade->getAkeyScreenFileDir(QString());
    QDir::setCurrent(previous);

    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("keep.txt"))));
    QVERIFY(listed.isEmpty());
    QVERIFY(screens.isEmpty());
}

void TestPaths::databasePathKnownBeforeFirstUse()
{
    // Nothing in this test has used the database yet.
    QCOMPARE(BLL_BusinessLogic_Desktop::instance()->getFilePath(),
             BLL_DataBase_Desktop::defaultDatabasePath());
}

QTEST_MAIN(TestPaths)
#include "test_paths.moc"
