#pragma once
// Processor configuration and gamut files. The formats are still to come:
// opens give empty results, saves give false (a processor-file save also emits
// sig_saveProcessorFile(false)), each with a log line.

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
