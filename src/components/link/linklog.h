#pragma once
// Logging category of the link manager: "ledwall.link".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLink)
