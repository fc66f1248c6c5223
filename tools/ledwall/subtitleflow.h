#pragma once
// What the subtitle command and the demo share: the colour options and the
// transfer of one bitmap through the facade's subtitle sender.

#include <QCommandLineParser>
#include <QStringList>
#include <QVariantMap>

namespace cli
{

class FacadeSession;

// --fg, --bg and --image.
void addColourOptions(QCommandLineParser &parser);
// Puts "foregroundRed" ... "backgroundAlpha" and "isImage" into the request; false
// (after printing why) for a value that is not 0-255.
bool colourOptions(const QCommandLineParser &parser, QVariantMap *request);

int runSubtitleSend(const QStringList &args);

} // namespace cli
