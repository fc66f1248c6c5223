// The chip's register image and data files: loading an image into the chip
// library (from the interface or a default register file), reading it back into
// the cabinet parameter file "boxParam.BCJ", and generating the data files the
// cabinet hardware is programmed with.

#include "applicationdirectory.h"
#include "bll_businesslogic_desktop.h"
#include "bll_businesslogic_lssdk.h"
#include "chipselection.h"
#include "chiptext.h"
#include "configdll6619.h"
#include "filepaths.h"
#include "filereader.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSaveFile>

#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcChip)

using namespace ledwall::chip;

namespace
{

// Generated blocks and tables stay far below these; a larger report is refused.
constexpr int MaxBlockLength = 1024 * 1024;
constexpr int MaxBits = 32;
constexpr int MaxSubFrames = 64;

// A default register file is looked up in the working directory first, then
// beside the programs, where the build puts them.
QString locateDefaultFile(const QString &fileName)
{
    if (QFileInfo::exists(fileName))
        return fileName;
    const QString besidePrograms = ledwall::applicationFilePath(QFileInfo(fileName).fileName());
    return QFileInfo::exists(besidePrograms) ? besidePrograms : fileName;
}

QString boxParamPath()
{
    return ledwall::applicationFilePath(
        QStringLiteral("ConfigData/ConfigurationFile/boxParam.BCJ"));
}

struct BlockLengths {
    int length[4] = {};
    int total() const { return length[0] + length[1] + length[2] + length[3]; }
};

bool readBlockLengths(BlockLengths *lengths)
{
    int *l = lengths->length;
    if (GetGenParamBufLen6619(&l[0], &l[1], &l[2], &l[3]) != CONFIGERR_OK_6619)
        return false;
    for (int length : lengths->length) {
        if (length < 0 || length > MaxBlockLength)
            return false;
    }
    return true;
}

} // namespace

void BLL_BusinessLogic_LSSDK::loadBuffToSDK(QMap<QString, QVariant> map)
{
    m_workers.start([this, map] { loadBuffToSDKThread(map); });
}

void BLL_BusinessLogic_LSSDK::loadBuffToSDKThread(QMap<QString, QVariant> map)
{
    getDriverAndDecodeId(map);
    const int decodeIndex = map.value(QStringLiteral("decodedMode")).toInt();
    const QString registerText = map.value(QStringLiteral("registerAddr")).toString();
    const int funcFlag = map.value(QStringLiteral("funcFlag")).toInt();

    QByteArray text;
    if (!registerText.isEmpty()) {
        text = registerText.toLatin1();
    } else {
        const QString name = defaultRegisterFile(m_driverChipId, decodeIndex);
        const QString path = name.isEmpty() ? name : locateDefaultFile(name);
        const ledwall::FileContents file = ledwall::readWholeFile(path, MaxRegisterTextSize);
        if (name.isEmpty() || !file.ok()) {
            qCDebug(lcChip) << "read" << path << "file error!!!!!!!" << file.errorString;
            return;
        }
        text = file.bytes;
    }
    const ParsedImage parsed = parseRegisterText(text);
    if (!parsed.ok) {
        // A malformed image is never loaded in part.
        qCDebug(lcChip) << "register image refused:" << parsed.error;
        m_paramMap.insert(QStringLiteral("loadFlag"), CONFIGERR_INVALID_PARA_6619);
        return;
    }

    m_bufferLength = parsed.image.size();
    const int status = loadConfigBuffer6619(
        reinterpret_cast<const unsigned char *>(parsed.image.constData()), m_bufferLength);
    m_paramMap.insert(QStringLiteral("loadFlag"), status);
    qCDebug(lcChip) << "ret---" << m_bufferLength << status << funcFlag;
    if (status == CONFIGERR_INVALID_PARA_6619) {
        qCDebug(lcChip) << "CONFIGERR_INVALID_PARA_6619";
        return;
    }
    if (status == CONFIGERR_NOT_SUPPORT_6619) {
        qCDebug(lcChip) << "CONFIGERR_NOT_SUPPORT_6619";
        return;
    }
    if (status != CONFIGERR_OK_6619) {
        qCDebug(lcChip) << "register image not loaded, status" << status;
        return;
    }

    if (chipIn(m_driverChipId, {LS9935, LS9935B, LS9936})) {
        parseAdvanceModeParam();
        int new16to16 = 0, jianMode = 0;
        GetNew16to16(&new16to16);
        GetJianMode(&jianMode);
        qCDebug(lcChip) << "GetNew16to16" << new16to16 << jianMode;
        if (new16to16 == 0) {
            SetNew16to16(1);
            SetJianMode(1);
            GetNew16to16(&new16to16);
            GetJianMode(&jianMode);
            qCDebug(lcChip) << "GetNew16to16" << new16to16 << jianMode;
        }
    }
    if (funcFlag == 1)
        setSmartSetFirstStep(map);
    else if (funcFlag == 2)
        setOpenBoxFile(map);

    m_paramMap.insert(QStringLiteral("funcFlag"), funcFlag);
    m_paramMap.insert(QStringLiteral("moduleName"), QStringLiteral("Module_loadBuffToSdk"));
    emit BLL_BusinessLogic_Desktop::instance()->sig_devicesModuleData(m_paramMap);
}

QMap<QString, QVariant> BLL_BusinessLogic_LSSDK::getSDKToBuff()
{
    qCDebug(lcChip) << "buffLen:" << m_bufferLength;
    QByteArray image(m_bufferLength, '\0');
    const int status =
        getConfigBuffer6619(reinterpret_cast<unsigned char *>(image.data()), m_bufferLength);
    qCDebug(lcChip) << "ret:" << status;
    QMap<QString, QVariant> result;
    result.insert(QStringLiteral("registerAddr"),
                  status == CONFIGERR_OK_6619 ? registerText(image) : QString());
    result.insert(QStringLiteral("saveFlag"), status);
    return result;
}

QMap<QString, QVariant> BLL_BusinessLogic_LSSDK::saveSDKToBuff(QMap<QString, QVariant> map)
{
    const QString path = boxParamPath();
    map.insert(QStringLiteral("result"), false);
    const ledwall::FileContents file = ledwall::readWholeFile(path);
    QJsonParseError error{};
    const QJsonDocument document =
        file.ok() ? QJsonDocument::fromJson(file.bytes, &error) : QJsonDocument();
    if (!file.ok() || error.error != QJsonParseError::NoError || !document.isObject()) {
        // Not overwritten: the file holds the cabinet's other settings too.
        qCDebug(lcChip) << "isGammaConfig read json file error!!!!!!!" << path;
        return map;
    }
    const QMap<QString, QVariant> buffer = getSDKToBuff();
    if (buffer.value(QStringLiteral("saveFlag")).toInt() != CONFIGERR_OK_6619)
        return map;

    QJsonObject object = document.object();
    object.insert(QStringLiteral("registerAddr"),
                  buffer.value(QStringLiteral("registerAddr")).toString());
    if (map.contains(QStringLiteral("lowGraySelect")))
        object.insert(QStringLiteral("lowGraySelect"),
                      map.value(QStringLiteral("lowGraySelect")).toInt());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(object).toJson()) < 0 ||
        !out.commit()) {
        qCDebug(lcChip) << "Write json file error!!!!!!!" << out.errorString();
        return map;
    }
    map.insert(QStringLiteral("result"), true);
    return map;
}

bool BLL_BusinessLogic_LSSDK::writeDataFile(const QString &name, const QByteArray &text)
{
    const QString path = QDir(m_documentPath).filePath(name);
    const QString backup = QDir(m_documentPath).filePath(QStringLiteral("LastData_Backup/") + name);
    if (QFile::exists(path)) {
        QFile::remove(backup);
        if (!QFile::copy(path, backup))
            qCDebug(lcChip) << "no backup of" << path;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        qCDebug(lcChip) << "Write file error!!!!!!!" << path << file.errorString();
        return false;
    }
    return true;
}

bool BLL_BusinessLogic_LSSDK::genData(unsigned char *buffer, int flag)
{
    Q_UNUSED(flag)
    BlockLengths lengths;
    if (!buffer || !readBlockLengths(&lengths))
        return false;
    const int *l = lengths.length;
    const unsigned char *block1 = buffer + l[0];
    const unsigned char *block2 = block1 + l[1];
    const unsigned char *block3 = block2 + l[2];
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("pm.dat"), wordLines(buffer, l[0], 4)},
        {QStringLiteral("pm_16.dat"), wordLines(buffer, l[0], 2)},
        {QStringLiteral("dm0.txt"), wordLines(block1, l[1], 2)},
        {QStringLiteral("dm0_32.dat"), wordLines(block1, l[1], 4)},
        {QStringLiteral("dm1.txt"), wordLines(block2, l[2], 2)},
        {QStringLiteral("dm2.txt"), wordLines(block3, l[3], 4)},
        {QStringLiteral("dm2_16.txt"), wordLines(block3, l[3], 2)},
        {QStringLiteral("pm_16_total.dat"), wordLines(buffer, lengths.total(), 2)},
    };
    for (const auto &file : files) {
        if (!writeDataFile(file.first, file.second))
            return false;
    }

    int step = 0, start = 0, max = 0, defaultStart = 0, defaultStep = 0, brightBF = 0;
    double gamma = 0;
    GetGammaStep6619(&step);
    GetGammaStart6619(&start);
    GetGammaMax6619(&max);
    GetGammaPara(&gamma);
    GetDefaultGammaPara(&defaultStart, &defaultStep);
    GetBrightBF(&brightBF);
    QVector<quint16> table(LS_GAMMA_TABLE_SIZE);
    const int status = CreateGammaTable6619(step, start, max, gamma, defaultStart, defaultStep,
                                            brightBF, table.data(), table.size());
    if (status != CONFIGERR_OK_6619) {
        qCDebug(lcChip) << "gamma table refused, status" << status;
        return false;
    }
    return writeDataFile(QStringLiteral("gama.dat"), valueLines(table + table + table, 4));
}

bool BLL_BusinessLogic_LSSDK::writeBitTable(bool withControlFile)
{
    int bits = 0, subFrames = 0, third = 0;
    GetBitsSubFrameNum(&bits, &subFrames, &third);
    if (bits < 0 || bits > MaxBits || subFrames < 0 || subFrames > MaxSubFrames) {
        qCDebug(lcChip) << "bit table size out of range" << bits << subFrames;
        return false;
    }
    QByteArray table(qMax(1, bits * subFrames), '\0');
    if (GetParaTable(reinterpret_cast<unsigned char *>(table.data()), table.size()) !=
        CONFIGERR_OK_6619)
        table.fill('\0');
    if (!writeDataFile(QStringLiteral("bit.txt"), bitTableText(bits, subFrames, third, table)))
        return false;
    if (!withControlFile)
        return true;
    int value1 = 0, value2 = 0, count = 0;
    unsigned short words[LS_CONTROL_WORDS_MAX] = {};
    GetControlInfor(&value1, &value2, words, LS_CONTROL_WORDS_MAX, &count);
    count = qBound(0, count, LS_CONTROL_WORDS_MAX);
    return writeDataFile(QStringLiteral("oe.dat"),
                         controlText(bits, subFrames, third, value1, value2, table,
                                     QVector<quint16>(words, words + count)));
}

void BLL_BusinessLogic_LSSDK::genDataFile(int flag)
{
    if (m_driverChipId == LS9937) {
        genDataFile9832(flag);
        return;
    }
    bool ok = false;
    BlockLengths lengths;
    if (readBlockLengths(&lengths)) {
        const QByteArray scanPath =
            QDir(m_documentPath).filePath(QStringLiteral("p_wsp.dat")).toLocal8Bit();
        std::vector<wchar_t> widePath(size_t(scanPath.size()) + 1);
        CharToWChar(scanPath.constData(), widePath.data());
        SetScanTxtPath(widePath.data());
        std::vector<unsigned char> buffer(size_t(qMax(1, lengths.total())));
        ok = GetGenParamToBuf6619(buffer.data(), lengths.total()) == CONFIGERR_OK_6619 &&
             genData(buffer.data(), flag) && writeBitTable(isMainChip(m_driverChipId));
    }
    m_paramMap.insert(QStringLiteral("result"), ok);
    qCDebug(lcChip) << "genDataFile" << ok;
}

void BLL_BusinessLogic_LSSDK::genDataFile9832(int flag)
{
    bool ok = false;
    BlockLengths lengths;
    if (readBlockLengths(&lengths)) {
        std::vector<unsigned char> buffer(size_t(qMax(1, lengths.total())));
        ok = GetGenParamToBuf6619(buffer.data(), lengths.total()) == CONFIGERR_OK_6619 &&
             genData(buffer.data(), flag) && writeBitTable(false);
    }
    m_paramMap.insert(QStringLiteral("result"), ok);
    qCDebug(lcChip) << "genDataFile" << ok;
}

QByteArray BLL_BusinessLogic_LSSDK::getLSFileData(const QString &path, int mode, int width)
{
    const ledwall::FileContents file = ledwall::readWholeFile(ledwall::normalizeFilePath(path));
    if (!file.ok()) {
        qCDebug(lcChip) << "read error!!!!!6" << path << file.errorString;
        return {};
    }
    bool ok = false;
    const QByteArray bytes = fileDataBytes(file.bytes, mode, width, &ok);
    if (!ok)
        qCDebug(lcChip) << "read error!!!!!6" << path << "holds an entry that is not hexadecimal";
    return bytes;
}

QList<QString> BLL_BusinessLogic_LSSDK::getLsGamma(const QString &chipName)
{
    QList<QString> values;
    if (!chipName.contains(QLatin1String("LS99")) && chipName != QLatin1String("LYD6168A") &&
        chipName != QLatin1String("LYD6188"))
        return values;
    const QByteArray bytes =
        getLSFileData(QDir(m_documentPath).filePath(QStringLiteral("gama.dat")), 1, 0);
    for (int i = 0; i + 1 < bytes.size() && values.size() < LS_GAMMA_TABLE_SIZE; i += 2) {
        const int value = (uchar(bytes[i]) << 8) | uchar(bytes[i + 1]);
        values << QString::number(value, 16).rightJustified(4, QLatin1Char('0'));
    }
    return values;
}

QString BLL_BusinessLogic_LSSDK::f_setRegisterLen(int byte)
{
    return byteHex(byte);
}

unsigned char BLL_BusinessLogic_LSSDK::getChar(unsigned int value, int index)
{
    return byteOfWord(value, index);
}
