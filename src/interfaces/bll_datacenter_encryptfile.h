#pragma once
// The encrypted settings file. The format is still to come: reading gives an
// empty list, saving false, each with a log line.

#include <QString>
#include <QVariantList>
#include <QVariantMap>

class BLL_DataCenter_EncryptFile
{
public:
    QVariantList readEncryptFile(QString path);
    bool saveAsEncryptFile(QString path, QVariantMap data);
};
