#include "cliutil.h"
#include "subtitleflow.h"

int cli::runSubtitleSend(const QStringList &)
{
    printError(QStringLiteral("subtitle send is not built yet"));
    return ExitFailed;
}
