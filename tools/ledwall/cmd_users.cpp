// ledwall users: the user accounts of a LedWall database.
//
//     ledwall users --db FILE add NAME --password P [--level N] [--as NAME --as-password P]
//     ledwall users --db FILE remove NAME --as NAME --as-password P
//     ledwall users --db FILE list
//     ledwall users --db FILE login NAME --password P
//
// The first user added to an empty database needs no --as and becomes an
// administrator; later changes act as the administrator named by --as. A password
// given as "-" is read as one line from stdin, so that it stays out of the process
// list. Prints JSON; exit 1 when the store refuses, 2 on bad usage.

#include "cli.h"
#include "cliutil.h"

#include "bll_database_desktop.h"
#include "bll_datacenter_user.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>

namespace
{

const QString kDb = QStringLiteral("db");
const QString kPassword = QStringLiteral("password");
const QString kLevel = QStringLiteral("level");
const QString kAs = QStringLiteral("as");
const QString kAsPassword = QStringLiteral("as-password");

// The value of a password option; "-" reads one line from stdin.
QString passwordValue(const QCommandLineParser &parser, const QString &option)
{
    const QString value = parser.value(option);
    if (value != QLatin1String("-"))
        return value;
    QTextStream in(stdin);
    return in.readLine();
}

// Prints the store's answer and turns it into the exit code.
int report(const QVariantMap &result)
{
    cli::printJson(result);
    if (result.value(QStringLiteral("result")).toBool())
        return cli::ExitOk;
    cli::printError(result.value(QStringLiteral("message")).toString());
    return cli::ExitFailed;
}

} // namespace

int runUsersCommand(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("ACTION"),
                                 QStringLiteral("add, remove, list or login."));
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 QStringLiteral("The user (add, remove, login)."));
    parser.addOptions({
        {kDb, QStringLiteral("The database file (created by add when missing)."),
         QStringLiteral("FILE")},
        {kPassword, QStringLiteral("The user's password (add, login); - reads it from stdin."),
         QStringLiteral("P")},
        {kLevel,
         QStringLiteral("The new user's level: 0 administrator, 1 operator (default), "
                        "2 viewer, ..."),
         QStringLiteral("N")},
        {kAs, QStringLiteral("The administrator who makes the change (add, remove)."),
         QStringLiteral("NAME")},
        {kAsPassword, QStringLiteral("That administrator's password; - reads it from stdin."),
         QStringLiteral("P")},
        {QStringLiteral("verbose"), QStringLiteral("Log the library's debug output on stderr.")},
    });
    const int parsed =
        cli::parseArguments(parser, args, QStringLiteral("Adds, removes, lists and checks users."));
    if (parsed >= 0)
        return parsed;
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    // Check the usage completely before touching the database.
    const QStringList positional = parser.positionalArguments();
    const QString action = positional.value(0);
    const QStringList actions = {"add", "remove", "list", "login"};
    if (!actions.contains(action)) {
        cli::printError(action.isEmpty()
                            ? QStringLiteral("expected an ACTION: add, remove, list or login")
                            : QStringLiteral("unknown action '%1'").arg(action));
        return cli::ExitUsage;
    }
    if (!parser.isSet(kDb) || parser.value(kDb).isEmpty()) {
        cli::printError(QStringLiteral("--db FILE is required"));
        return cli::ExitUsage;
    }
    const bool named = action != QLatin1String("list");
    if (positional.size() != (named ? 2 : 1) || (named && positional.at(1).isEmpty())) {
        cli::printError(named ? QStringLiteral("%1 expects one NAME").arg(action)
                              : QStringLiteral("list takes no NAME"));
        return cli::ExitUsage;
    }
    const bool add = action == QLatin1String("add");
    const bool needsPassword = add || action == QLatin1String("login");
    const bool acts = add || action == QLatin1String("remove");
    const struct {
        const QString &option;
        bool allowed;
    } applicable[] = {{kPassword, needsPassword}, {kLevel, add}, {kAs, acts}, {kAsPassword, acts}};
    for (const auto &entry : applicable) {
        if (parser.isSet(entry.option) && !entry.allowed) {
            cli::printError(QStringLiteral("--%1 does not apply to %2").arg(entry.option, action));
            return cli::ExitUsage;
        }
    }
    if (needsPassword && !parser.isSet(kPassword)) {
        cli::printError(QStringLiteral("%1 needs --password").arg(action));
        return cli::ExitUsage;
    }
    if (parser.isSet(kAs) != parser.isSet(kAsPassword)) {
        cli::printError(QStringLiteral("--as and --as-password go together"));
        return cli::ExitUsage;
    }
    if (parser.value(kPassword) == QLatin1String("-") &&
        parser.value(kAsPassword) == QLatin1String("-")) {
        cli::printError(QStringLiteral("only one password can be read from stdin"));
        return cli::ExitUsage;
    }
    qint64 level = BLL_DataCenter_User::Operator;
    if (parser.isSet(kLevel) && !cli::optionNumber(parser, kLevel, 0, 1000, &level))
        return cli::ExitUsage;

    const QString file = parser.value(kDb);
    // Only add may create a database; a mistyped path should not look like an
    // empty store.
    if (!add && !QFileInfo(file).isFile()) {
        cli::printError(QStringLiteral("no database at %1").arg(file));
        return cli::ExitFailed;
    }
    BLL_DataBase_Desktop::setDatabasePath(file);
    // Listing and logging in first read the store as it is, without creating or
    // upgrading anything in it; a store that cannot be read is an error, not an
    // empty list.
    BLL_DataBase_Desktop::setReadOnly(!add);
    if (!BLL_DataBase_Desktop::getInstance()->open()) {
        cli::printError(QStringLiteral("cannot open the database %1").arg(file));
        return cli::ExitFailed;
    }

    BLL_DataCenter_User users;
    const QString name = positional.value(1);
    if (!add) {
        const QVariantList list = users.getUserList(0, QString());
        if (!users.lastResult().value(QStringLiteral("result")).toBool())
            return report(users.lastResult());
        if (action == QLatin1String("list")) {
            cli::printJson(QVariantMap{{QStringLiteral("userList"), list}});
            return cli::ExitOk;
        }
        // A login records failed attempts and lock-outs, and so writes.
        BLL_DataBase_Desktop::setReadOnly(false);
    }
    if (action == QLatin1String("login"))
        return report(users.authenticate(name, passwordValue(parser, kPassword)));

    if (parser.isSet(kAs)) {
        const QVariantMap login =
            users.authenticate(parser.value(kAs), passwordValue(parser, kAsPassword));
        if (!login.value(QStringLiteral("result")).toBool())
            return report(login);
    }
    QVariantMap result;
    if (add) {
        result.insert(QStringLiteral("userList"),
                      users.addUser(name, passwordValue(parser, kPassword), int(level)));
    } else {
        // The store removes by name and level; the command needs only the name.
        const QVariantList found = users.getUserList(0, name);
        const int userLevel =
            found.isEmpty() ? -1 : found.first().toMap().value(QStringLiteral("userType")).toInt();
        result.insert(QStringLiteral("userList"), users.removeUser(name, userLevel));
    }
    result.insert(users.lastResult());
    return report(result);
}
