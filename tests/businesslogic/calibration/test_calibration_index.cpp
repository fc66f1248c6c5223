// The calibration file index: requests in order against a fresh database file.

#include "bll_businesslogic_sendcardpackage.h"

#include <QtTest>

class TestCalibrationIndex : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    BLL_BusinessLogic_SendCardPackage package;

    QVariantMap request(const QVariantMap &map)
    {
        QSignalSpy spy(&package, &BLL_BusinessLogic_SendCardPackage::sig_readDevData);
        package.operationAdjustDB(map);
        return spy.wait(5000) ? spy.at(0).at(0).toMap() : QVariantMap{{"timeout", true}};
    }

private slots:
    void requestsInOrder()
    {
        package.setAdjustDatabasePath(dir.filePath("adjustDB.db"));
        const QVariantMap emptyList{
            {"operate", "Selete"}, {"result", ""}, {"data", QVariantList()}};
        QCOMPARE(request({{"operate", "Selete"}}), emptyList);
        // Quotes are data, not SQL.
        QCOMPARE(request({{"operate", "Insert"}, {"guid", "a'b"}, {"filePath", "/c/it's.txt"}}),
                 (QVariantMap{{"operate", "Insert"}, {"result", ""}}));
        const QVariantList rows = request({{"operate", "Selete"}}).value("data").toList();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).toMap().value("guid").toString(), QString("a'b"));
        QCOMPARE(rows.at(0).toMap().value("filePath").toString(), QString("/c/it's.txt"));
        const QVariant id = rows.at(0).toMap().value("id");

        QCOMPARE(request({{"operate", "Update"}, {"id", id}, {"guid", "g"}}).value("result"),
                 QVariant("No guid"));
        QCOMPARE(request({{"operate", "Delete"}}).value("result"), QVariant("No id"));
        QCOMPARE(request({{"operate", "Select"}}), (QVariantMap{{"operate", "Select"}}));
        QCOMPARE(request({{"operate", "Update"}, {"id", id}, {"guid", "g"}, {"filePath", "p"}})
                     .value("result"),
                 QVariant(""));
        QCOMPARE(request({{"operate", "Selete"}})
                     .value("data")
                     .toList()
                     .value(0)
                     .toMap()
                     .value("filePath"),
                 QVariant("p"));
        QCOMPARE(request({{"operate", "Delete"}, {"id", id}}).value("result"), QVariant(""));
        QCOMPARE(request({{"operate", "Selete"}}), emptyList);
    }

    void unopenableFile()
    {
        package.setAdjustDatabasePath(dir.filePath("missing/dir/adjustDB.db"));
        QCOMPARE(request({{"operate", "Selete"}}).value("result"),
                 QVariant("The database is not open"));
    }
};

QTEST_MAIN(TestCalibrationIndex)
#include "test_calibration_index.moc"
