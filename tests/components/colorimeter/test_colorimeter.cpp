#include "bll_colorimeter_link.h"

#include "threadspy.h"
#include <QtTest>

class TestColorimeter : public QObject
{
    Q_OBJECT
private slots:
    void queuesCommandsInOrderAndHandsThemOver()
    {
        BLL_Colorimeter_Link link;
        ThreadSpy appended(&link, &BLL_Colorimeter_Link::sig_commandAppended);
        QVariantMap first{{"cmd", "measure"}, {"channel", 1}};
        QVariantMap second{{"cmd", "calibrate"}, {"channel", 2}};
        link.appendCommandData(first);
        link.appendCommandData(second);

        QCOMPARE(appended.count(), 2);
        QCOMPARE(link.takePendingCommands(), (QList<QVariantMap>{first, second}));
        QCOMPARE(link.pendingCount(), 0);
    }

    void fullQueueDropsTheOldestCommand()
    {
        BLL_Colorimeter_Link link;
        for (int i = 0; i <= BLL_Colorimeter_Link::MaxPendingCommands; ++i)
            link.appendCommandData({{"n", i}});
        const QList<QVariantMap> queue = link.pendingCommands();
        QCOMPARE(queue.size(), BLL_Colorimeter_Link::MaxPendingCommands);
        QCOMPARE(queue.first().value("n").toInt(), 1);
        QCOMPARE(queue.last().value("n").toInt(), BLL_Colorimeter_Link::MaxPendingCommands);
    }
};

QTEST_GUILESS_MAIN(TestColorimeter)

#include "test_colorimeter.moc"
