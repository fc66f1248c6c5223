// The application's database and the card function database opened from a hostile
// file: the input is written to a file, opened read-only and then for writing as
// the user, timetable, settings and scene store, and read as the card tables.
// SQLite must refuse a damaged file or read what it can, never crash. What must
// hold: scenes that read back are written and read again unchanged.
#include "fuzzinput.h"

#include "bll_database_desktop.h"
#include "bll_datacenter_user.h"
#include "bll_shared_timetable_desktop.h"
#include "cardtables.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <cstdlib>

LEDWALL_FUZZ_QUIET_LOGGING

namespace
{

// Removed again when the fuzzer exits.
QString folder()
{
    static const QTemporaryDir dir((QDir(QStringLiteral("/dev/shm")).exists()
                                        ? QStringLiteral("/dev/shm")
                                        : QDir::tempPath()) +
                                   QStringLiteral("/ledwall-fuzz-db-XXXXXX"));
    if (!dir.isValid())
        std::abort();
    return dir.path();
}

QString writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = folder() + QLatin1Char('/') + name;
    QFile::remove(path + QStringLiteral("-journal"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    return path;
}

void readStore(bool readOnly)
{
    BLL_DataBase_Desktop *store = BLL_DataBase_Desktop::getInstance();
    if (!store->open())
        return;
    store->setting(QStringLiteral("rememberedUser"));
    Bll_Shared_Timetable_Desktop timetable;
    timetable.getSharedTimetableInfoList(QString());
    timetable.getSharedTimetableInfoList(QStringLiteral("1"));
    timetable.getDifferentValueForField(QStringLiteral("scene"));
    static BLL_DataCenter_User users;
    users.setHashIterations(1);
    users.getUserList(0, QString());
    users.authenticate(QStringLiteral("admin"), QStringLiteral("fuzz"));

    bool ok = false;
    const QVariantList scenes = store->readScenes(&ok);
    if (readOnly || !ok || !store->writeScenes(scenes))
        return;
    bool again = false;
    if (store->readScenes(&again) != scenes || !again)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    // A connection is opened again only for another file or mode: two files in turn.
    BLL_DataBase_Desktop::setReadOnly(true);
    BLL_DataBase_Desktop::setDatabasePath(writeFile(QStringLiteral("read.db"), bytes));
    readStore(true);
    BLL_DataBase_Desktop::setReadOnly(false);
    BLL_DataBase_Desktop::setDatabasePath(writeFile(QStringLiteral("write.db"), bytes));
    readStore(false);

    // The card tables read the default connection, closed again after each read.
    if (!QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection)))
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false)
        .setDatabaseName(writeFile(QStringLiteral("rcFun.db"), bytes));
    ledwall::cardtables::readReceivingCardModels();
    ledwall::cardtables::readCardFunctions();
    return 0;
}
