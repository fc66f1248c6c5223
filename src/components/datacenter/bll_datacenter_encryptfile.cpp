#include "bll_datacenter_encryptfile.h"

#include "datacenterlog.h"
#include "formats/encryptedfile.h"
#include "formats/fileio.h"
#include "formats/jsonfileformat.h"

#include <mutex>

namespace
{
std::mutex secretMutex;
QByteArray &secretStore()
{
    static QByteArray secret = QByteArrayLiteral("LedWall settings key / 2026");
    return secret;
}
} // namespace

void BLL_DataCenter_EncryptFile::setApplicationSecret(const QByteArray &secret)
{
    std::lock_guard<std::mutex> locker(secretMutex);
    secretStore() = secret;
}

QByteArray BLL_DataCenter_EncryptFile::applicationSecret()
{
    std::lock_guard<std::mutex> locker(secretMutex);
    return secretStore();
}

QVariantList BLL_DataCenter_EncryptFile::readEncryptFile(QString path)
{
    QByteArray file;
    if (!fileio::readWholeFile(path, &file,
                               encryptedfile::maxPlainSize + 6 + encryptedfile::saltSize +
                                   encryptedfile::nonceSize + encryptedfile::tagSize))
        return {};
    QByteArray plain;
    if (!encryptedfile::decrypt(file, applicationSecret(), &plain)) {
        qCDebug(lcDataCenter) << "readEncryptFile: cannot read" << path;
        return {};
    }
    const QVariantMap settings = encryptedfile::decodeSettings(plain);
    if (settings.isEmpty() && plain.trimmed() != "{}")
        return {};
    return {settings};
}

bool BLL_DataCenter_EncryptFile::saveAsEncryptFile(QString path, QVariantMap data)
{
    const QByteArray file = encryptedfile::encrypt(
        encryptedfile::encodeSettings(jsonfile::withoutRequestKeys(data)), applicationSecret());
    if (file.isEmpty())
        return false;
    return fileio::writeWholeFile(path, file);
}
