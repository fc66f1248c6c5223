// Chip selection, library start, the result map and the data directory.

#include "bll_businesslogic_lssdk.h"
#include "applicationdirectory.h"
#include "chipselection.h"
#include "configdll6619.h"

#include <QDebug>
#include <QDir>
#include <QLoggingCategory>

#include <cstdlib>
#include <cstring>

Q_LOGGING_CATEGORY(lcChip, "ledwall.chip")

using namespace ledwall::chip;

BLL_BusinessLogic_LSSDK::BLL_BusinessLogic_LSSDK(QObject *parent)
    : QObject(parent), m_documentPath(getDocumentPath())
{
}

BLL_BusinessLogic_LSSDK::~BLL_BusinessLogic_LSSDK()
{
    // A buffer load still running uses this object's members.
    m_workers.joinAll();
}

void BLL_BusinessLogic_LSSDK::getDriverChipId(const QString &name)
{
    const int id = ledwall::chip::driverChipId(name, m_driverChipId);
    if (id == m_driverChipId && !driverChipNames().contains(name))
        qCDebug(lcChip) << "unknown driver chip" << name << "- keeping" << m_driverChipId;
    m_driverChipId = id;
}

void BLL_BusinessLogic_LSSDK::getDecodeModeId(int index)
{
    m_decodeModeId = decodeModeForIndex(index);
}

void BLL_BusinessLogic_LSSDK::getDriverAndDecodeId(const QMap<QString, QVariant> &map)
{
    getDriverChipId(map.value(QStringLiteral("driverChip")).toString());
    getDecodeModeId(map.value(QStringLiteral("decodedMode")).toInt());
}

void BLL_BusinessLogic_LSSDK::init(QMap<QString, QVariant> map)
{
    getDriverAndDecodeId(map);
    m_paramMap.insert(QStringLiteral("initFlag"), iniDLL6619(m_driverChipId));
}

QMap<QString, QVariant> BLL_BusinessLogic_LSSDK::configureParam(QMap<QString, QVariant> map)
{
    const int flag = map.value(QStringLiteral("configFlag")).toInt();
    qCDebug(lcChip) << "configureParam-- start" << flag;
    switch (flag) {
    case 0:
        setBasicParam(map);
        break;
    case 1:
        setCommonParam(map);
        break;
    case 2:
        setAdvanceParam(map);
        break;
    case 5:
        setParamNew(map);
        break;
    default:
        break;
    }
    qCDebug(lcChip) << "configureParam-- end" << m_paramMap;
    return m_paramMap;
}

QMap<QString, QVariant> BLL_BusinessLogic_LSSDK::getParam(QMap<QString, QVariant> map)
{
    getDriverAndDecodeId(map);
    if (map.value(QStringLiteral("paramFlag")).toInt() == 3)
        getDefaultParam(map.value(QStringLiteral("configIndex")).toInt());
    else
        f_FetchPara();
    return m_paramMap;
}

void BLL_BusinessLogic_LSSDK::f_getVerion()
{
    int mode = 0, version = 0, ipVersion = 0, major = 0, mid = 0, minor = 0;
    GetChipMode(&mode);
    GetVersion6619(&version);
    GetIPVersion(&ipVersion);
    GetLibVerion(&major, &mid, &minor);
    m_paramMap.insert(QStringLiteral("ChipMode"), mode);
    m_paramMap.insert(QStringLiteral("m_strChipMode"), f_GetChipModeString(mode));
    m_paramMap.insert(QStringLiteral("nVersion"), version);
    m_paramMap.insert(QStringLiteral("nIPVersion"), ipVersion);
    m_paramMap.insert(QStringLiteral("nMajor"), major);
    m_paramMap.insert(QStringLiteral("nMid"), mid);
    m_paramMap.insert(QStringLiteral("nMinor"), minor);
}

QString BLL_BusinessLogic_LSSDK::f_GetChipModeString(int mode)
{
    return chipModeString(mode);
}

QString BLL_BusinessLogic_LSSDK::getDocumentPath()
{
    const QString path = ledwall::applicationFilePath(QStringLiteral("ConfigData/LSData/"));
    const QString backup =
        ledwall::applicationFilePath(QStringLiteral("ConfigData/LSData/LastData_Backup/"));
    if (!QDir().mkpath(path) || !QDir().mkpath(backup))
        qCDebug(lcChip) << "cannot create the chip data directories under" << path;
    qCDebug(lcChip) << "chip data" << path << "backups" << backup;
    return path;
}

bool BLL_BusinessLogic_LSSDK::setDocumentPath(const QString &path)
{
    if (!QDir().mkpath(QDir(path).filePath(QStringLiteral("LastData_Backup"))))
        return false;
    m_documentPath = QDir(path).absolutePath() + QLatin1Char('/');
    return true;
}

void BLL_BusinessLogic_LSSDK::clearData()
{
    m_paramMap.clear();
}

void BLL_BusinessLogic_LSSDK::CharToWChar(const char *text, wchar_t *wideText)
{
    if (!text || !wideText)
        return;
    const size_t length = std::strlen(text);
    std::mbstate_t state{};
    const char *source = text;
    const size_t written = std::mbsrtowcs(wideText, &source, length + 1, &state);
    if (written == static_cast<size_t>(-1)) {
        // Not valid in the current code page: keep the bytes as they are.
        for (size_t i = 0; i <= length; ++i)
            wideText[i] = static_cast<unsigned char>(text[i]);
    }
}
