#include "bll_datacenter_encryptfile.h"

#include "datacenterlog.h"

QVariantList BLL_DataCenter_EncryptFile::readEncryptFile(QString path)
{
    return unavailableFileOperation<QVariantList>("readEncryptFile", path);
}

bool BLL_DataCenter_EncryptFile::saveAsEncryptFile(QString path, QVariantMap)
{
    return unavailableFileOperation<bool>("saveAsEncryptFile", path);
}
