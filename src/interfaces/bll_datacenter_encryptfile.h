#pragma once
// The encrypted settings file (.ini): a map of settings kept with
// authenticated encryption (AES-256-GCM, key from PBKDF2-HMAC-SHA256 over the
// application secret and a per-file salt). See docs/file-formats.md.

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class BLL_DataCenter_EncryptFile
{
public:
    // The settings stored in the file as the only element of the list:
    // [ {settings} ]. Empty (with a log line) when the file is missing,
    // truncated, tampered with or was written with another secret.
    QVariantList readEncryptFile(QString path);
    // Writes the map (without the request keys "isSave", "filePath", ...)
    // atomically; false when nothing could be written.
    bool saveAsEncryptFile(QString path, QVariantMap data);

    // The secret the file key is derived from. The application sets its own
    // before the first read or write; a built-in default is used otherwise.
    static void setApplicationSecret(const QByteArray &secret);
    static QByteArray applicationSecret();
};
