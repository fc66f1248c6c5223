// Builds an SQLite database from an SQL script: the card function database
// "rcFun.db" from data/rcfun.sql.
//
//   ledwall-gen-rcfun <script.sql> <output.db>
//
// The script is split into statements at the semicolons outside quotes and
// comments, and run in one transaction into a fresh file next to the output,
// which then replaces the output; a failing statement leaves the output as it was.
// A host tool of the build, through Qt's own SQLite driver.

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <cstdio>

namespace
{

int fail(const QString &why)
{
    std::fprintf(stderr, "ledwall-gen-rcfun: %s\n", qPrintable(why));
    return 1;
}

// The statements of a script, without comments and without empty statements.
QStringList splitStatements(const QString &script)
{
    QStringList statements;
    QString current;
    const int n = script.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = script.at(i);
        const QChar next = i + 1 < n ? script.at(i + 1) : QChar();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A quoted text or name; a doubled quote stays inside it.
            current += c;
            for (++i; i < n; ++i) {
                current += script.at(i);
                if (script.at(i) == c) {
                    if (i + 1 < n && script.at(i + 1) == c)
                        current += script.at(++i);
                    else
                        break;
                }
            }
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (i < n && script.at(i) != QLatin1Char('\n'))
                ++i;
            current += QLatin1Char('\n');
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int end = script.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 1;
            current += QLatin1Char(' ');
        } else if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

int build(const QString &scriptPath, const QString &outputPath)
{
    QFile scriptFile(scriptPath);
    if (!scriptFile.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1: %2").arg(scriptPath, scriptFile.errorString()));
    const QStringList statements = splitStatements(QString::fromUtf8(scriptFile.readAll()));

    const QString building = outputPath + QStringLiteral(".building");
    QFile::remove(building);
    int result = 0;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen-rcfun"));
        db.setDatabaseName(building);
        if (!db.open())
            return fail(
                QStringLiteral("cannot create %1: %2").arg(building, db.lastError().text()));
        db.transaction();
        QSqlQuery query(db);
        for (const QString &statement : statements) {
            if (!query.exec(statement)) {
                result = fail(QStringLiteral("%1: %2\n%3")
                                  .arg(scriptPath, query.lastError().text(), statement));
                break;
            }
        }
        query.clear();
        if (result == 0 && !db.commit())
            result = fail(QStringLiteral("commit failed: %1").arg(db.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gen-rcfun"));
    if (result != 0) {
        QFile::remove(building);
        return result;
    }
    QFile::remove(outputPath);
    if (!QFile::rename(building, outputPath))
        return fail(QStringLiteral("cannot write %1").arg(outputPath));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return fail(QStringLiteral("usage: ledwall-gen-rcfun <script.sql> <output.db>"));
    return build(args.at(1), args.at(2));
}
