// The receiving-card tables of "rcFun.db": the database the build ships, and the
// rules for the default database connection.

#include "applicationdirectory.h"
#include "bll_businesslogic_sendcardpackage.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestEdidCardTables : public QObject
{
    Q_OBJECT

private:
    // A database with the two tables: a model whose name has quotes in it, and
    // more rows than a query model fetches at once.

    QString makeDatabase(const QString &dir)
    {
        const QString path = QDir(dir).filePath(QStringLiteral("cards.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "maker");
            db.setDatabaseName(path);
            if (!db.open())
                return {};
            QSqlQuery query(db);
            query.exec("create table recvCardTab (Id integer, HexCode text, CardName text)");
            query.exec("create table rcFunTab (FunId integer, FunName text)");
            query.prepare("insert into recvCardTab values (?, ?, ?)");
            db.transaction();
            for (int i = 0; i < 300; ++i) {
                query.addBindValue(i);
                query.addBindValue(QStringLiteral("0x%1").arg(i, 4, 16, QLatin1Char('0')));
                query.addBindValue(i == 7 ? QStringLiteral("R7 \"Max\" 12' cabinet; drop table x")
                                          : QStringLiteral("R%1").arg(i));
                query.exec();
            }
            query.exec("insert into rcFunTab values (3, 'Gamma'), (1, 'Brightness')");
            db.commit();
            db.close();
        }
        QSqlDatabase::removeDatabase("maker");
        return path;
    }

private slots:
    void cleanup()
    {
        QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
        ledwall::setApplicationDirectory({});
    }

    void shippedDatabase()
    {
        // The build puts rcFun.db beside the programs, this test included.
        QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + "/rcFun.db"));
        BLL_BusinessLogic_SendCardPackage card;
        const QVariantMap models = card.selectRecvCardTab();
        QVERIFY(models.size() >= 5);
        QCOMPARE(models.value("0x2001").toList().at(1).toString(),
                 QStringLiteral("LW-M2 \"Mini\""));

        QCOMPARE(card.selectRecvCardFun({}).value("1").toList().value(1).toString(),
                 QStringLiteral("Brightness"));
    }

    void addsTheDefaultConnection()
    {
        // Without the file: empty tables, and no empty database left in its place.
        QTemporaryDir dir;
        ledwall::setApplicationDirectory(dir.path());
        BLL_BusinessLogic_SendCardPackage card;
        QVERIFY(card.selectRecvCardTab().isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("rcFun.db")));

        // The connection added is the default one, for rcFun.db there, closed again.
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/rcFun.db",
                            dir.filePath("rcFun.db")));
        QVERIFY(!card.selectRecvCardFun({}).isEmpty());
        const QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        QCOMPARE(QFileInfo(db.databaseName()), QFileInfo(dir.filePath("rcFun.db")));
        QVERIFY(!db.isOpen());
    }

    void usesAnExistingConnectionUnchanged()
    {
        QTemporaryDir dir;
        const QString path = makeDatabase(dir.path());
        QVERIFY(!path.isEmpty());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
            db.setDatabaseName(path);
        }
        BLL_BusinessLogic_SendCardPackage card;

        // Every row, not only the first batch of the query model, keyed by HexCode.
        const QVariantMap models = card.selectRecvCardTab();
        QCOMPARE(models.size(), 300);
        QCOMPARE(models.value("0x012b").toList().value(2).toString(), QStringLiteral("R299"));
        QCOMPARE(models.value("0x0007").toList().at(2).toString(),
                 QStringLiteral("R7 \"Max\" 12' cabinet; drop table x"));
        QCOMPARE(card.selectRecvCardFun({}).value("3").toList(),
                 QVariantList({3, QStringLiteral("Gamma")}));

        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        QCOMPARE(db.databaseName(), path);
        QVERIFY(!db.isOpen());
        // A connection its owner keeps open stays open.
        QVERIFY(db.open());
        QCOMPARE(card.selectRecvCardTab().size(), 300);
        QVERIFY(db.isOpen());
        db.close();
    }
};

QTEST_GUILESS_MAIN(TestEdidCardTables)
#include "test_edid_cardtables.moc"
