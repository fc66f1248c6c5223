#include "chipselection.h"

#include <algorithm>

namespace ledwall::chip
{

namespace
{

struct NamedChip {
    const char *name;
    int id;
};

const NamedChip kChipNames[] = {{"LS6616", LS6616},  {"LS6618", LS6618}, {"LS6619", LS6619},
                                {"LS9918", LS9918},  {"LS9929", LS9929}, {"LYD6168A", LS9929},
                                {"LYD6188", LS9929}, {"LS9961", LS9961}, {"LS9930", LS9930},
                                {"LS9919", LS9919},  {"LS9935", LS9935}, {"LS9917", LS9917},
                                {"LS9926", LS9926},  {"LS9920", LS9920}, {"LS9935B", LS9935B},
                                {"LS9936", LS9936},  {"LS9931", LS9931}, {"LS9937", LS9937}};

const int kDecodeModes[] = {0,  3, 5,  5, 9, 13, 15, 4, 5,  0,  5, 6,
                            11, 7, 10, 1, 2, 3,  15, 0, 20, 21, 22};

const char *const kModeNames[] = {"",      "6618", "",     "9918", "9929", "9961",  "9930",
                                  "9919",  "9935", "9917", "9926", "9920", "9935B", "9928",
                                  "9901",  "9903", "9904", "9936", "9812", "9906",  "9931",
                                  "9929C", "9832", "9933", "9937", "9956"};

// File stem of each chip with default register files.
QString fileStem(int chipId)
{
    switch (chipId) {
    case LS9929:
        return QStringLiteral("9929");
    case LS9930:
        return QStringLiteral("9930");
    case LS9935:
        return QStringLiteral("9935");
    case LS9935B:
        return QStringLiteral("9935b");
    case LS9936:
        return QStringLiteral("9936");
    case LS9931:
        return QStringLiteral("9931");
    case LS9937:
        return QStringLiteral("9937");
    default:
        return {};
    }
}

} // namespace

int driverChipId(const QString &name, int current)
{
    for (const NamedChip &chip : kChipNames) {
        if (name == QLatin1String(chip.name))
            return chip.id;
    }
    return current;
}

QStringList driverChipNames()
{
    QStringList names;
    for (const NamedChip &chip : kChipNames)
        names << QString::fromLatin1(chip.name);
    return names;
}

int decodeModeForIndex(int index)
{
    if (index < 0 || index >= int(std::size(kDecodeModes)))
        return 0;
    return kDecodeModes[index];
}

QString chipModeString(int mode)
{
    if (mode < 0 || mode >= int(std::size(kModeNames)))
        return {};
    return QString::fromLatin1(kModeNames[mode]);
}

bool chipIn(int chipId, std::initializer_list<int> ids)
{
    return std::find(ids.begin(), ids.end(), chipId) != ids.end();
}

bool isMainChip(int chipId)
{
    return chipIn(chipId, {4, 5, 6, 7, 8, 9, 10, 11, 12, 17, 20});
}

QString defaultRegisterFile(int chipId, int decodeIndex)
{
    const QString stem = fileStem(chipId);
    if (stem.isEmpty())
        return {};
    QString variant;
    if (chipId == LS9937)
        variant.clear();
    else if (chipId == LS9931)
        variant = chipIn(decodeIndex, {10, 11, 13, 20}) ? QStringLiteral("_973x") : QString();
    else if (chipIn(decodeIndex, {10, 11, 13}))
        variant = QStringLiteral("_973x");
    else if (chipIn(decodeIndex, {12, 14}))
        variant = QStringLiteral("_9737yin");
    else if (decodeIndex == 16)
        variant = QStringLiteral("_yin");
    return QStringLiteral("./pm_%1%2.dat").arg(stem, variant);
}

QList<DefaultFile> defaultRegisterFiles()
{
    QList<DefaultFile> files;
    for (int chipId : {LS9929, LS9930, LS9935, LS9935B, LS9936, LS9931, LS9937}) {
        for (int decodeIndex : {0, 10, 12, 16}) {
            const QString name = defaultRegisterFile(chipId, decodeIndex);
            const bool known = std::any_of(files.cbegin(), files.cend(), [&](const DefaultFile &f) {
                return f.fileName == name;
            });
            if (!known)
                files.append({name, chipId, decodeIndex});
        }
    }
    return files;
}

const QList<QPair<int, QString>> &publishedRanges()
{
    static const QList<QPair<int, QString>> ranges = [] {
        QList<QPair<int, QString>> list;
        auto add = [&](int k, std::initializer_list<const char *> names) {
            for (const char *name : names)
                list.append({k, QString::fromLatin1(name)});
        };
        add(0, {"scanNum"});
        add(1, {"ClockPhase"});
        add(2, {"RowDownTime"});
        add(3, {"ColBankWaitTime"});
        add(4, {"ColReleaseTime"});
        add(5, {"RowPullVolR"});
        add(6, {"RowPullVolCutR"});
        add(7, {"FirstLineR"});
        add(8, {"LowFirstLineR"});
        add(9, {"BlSelR"});
        add(10, {"mCup1"});
        add(11, {"LowGrayCompenR", "MidGrayBiasR", "HighGrayCompensR"});
        add(12, {"MinPulse"});
        add(13, {"OEHiLevel", "OELoLevel"});
        add(14, {"GammaStart"});
        add(15, {"GammaMax"});
        add(16, {"GammaStep"});
        add(17, {"gammaPara"});
        add(18, {"ColBankingTime"});
        add(19, {"IgesR"});
        add(20, {"SelVds"});
        add(21, {"MPadR"});
        add(22, {"StartColor1", "StartColor2", "StartColor3", "StartColor4"});
        add(23, {"StartScan1", "StartScan2", "StartScan3", "StartScan4"});
        add(24, {"rowMode"});
        add(25, {"rowPhase"});
        add(26, {"rowOEDelay"});
        add(27, {"R0Scale"});
        add(28, {"SetValue9930_1", "SetValue9930_2", "SetValue9930_3"});
        add(29, {"rDataPhase", "gDataPhase", "bDataPhase"});
        add(30, {"FieldFreq"});
        add(31, {"SystemClock"});
        add(32, {"fixValue"});
        add(33, {"DeltaK"});
        add(34, {"OpenDetection"});
        add(35, {"PrePullSwitch"});
        add(36, {"ResistanceR"});
        add(37, {"GammaBits"});
        add(38, {"LowGrayBiasR"});
        add(39, {"errorBegin"});
        add(41, {"AddBrightMode"});
        return list;
    }();
    return ranges;
}

} // namespace ledwall::chip
