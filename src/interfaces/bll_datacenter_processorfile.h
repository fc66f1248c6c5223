#pragma once
// Processor configuration and gamut files: XML files that keep a parameter
// map with its value types (docs/file-formats.md). Saves store the request map
// without its request keys ("isSave", "filePath", ...), atomically, and
// refuse an empty one; a processor-file save also reports through
// sig_saveProcessorFile. Opens give the stored map (the gamut XML open as the
// only element of a list); a missing or damaged file gives an empty result and
// a log line.

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class BLL_DataCenter_ProcessorFile : public QObject
{
    Q_OBJECT
public:
    explicit BLL_DataCenter_ProcessorFile(QObject *parent = nullptr);

    QVariantMap openProcessorXMLFile(QString path);
    bool saveProcessorXMLFile(QString path, QVariantMap data);
    QVariantList openGamutXMLFile(QString path);
    bool saveGamutXMLFile(QString path, QVariantMap data);
    QVariantMap openGamutCfgFile(QString path);
    bool saveGamutCfgFile(QString path, QVariantMap data);

signals:
    void sig_saveProcessorFile(bool isOk);
    void sig_saveProcessorFileIndex(QVariantMap vMap);
    void sig_openProcessorFile(QVariantMap vMap);
};
