#pragma once
// Driver-chip and row-decode selection: the tables that map the interface's chip
// names and decode indexes onto the chip library's numbers, the chip families
// that decide which parameters a chip has, its default register file and the
// published entries of the library's range table.

#include <QList>
#include <QPair>
#include <QString>

namespace ledwall::chip
{

// Chip ids of the chip library (also its chip mode).
enum ChipId {
    LS6616 = 0,
    LS6618 = 1,
    LS6619 = 2,
    LS9918 = 3,
    LS9929 = 4,
    LS9961 = 5,
    LS9930 = 6,
    LS9919 = 7,
    LS9935 = 8,
    LS9917 = 9,
    LS9926 = 10,
    LS9920 = 11,
    LS9935B = 12,
    LS9936 = 17,
    LS9931 = 20,
    LS9937 = 24
};

// The id of an exact (case-sensitive) chip name, or `current` for an unknown name.
int driverChipId(const QString &name, int current);
// The chip names the interface offers, in table order.
QStringList driverChipNames();
// The library's decode mode of the interface's decode index 0..22; others give 0.
int decodeModeForIndex(int index);
// Display name of a chip mode ("9929"); empty for 0, 2 and unknown modes.
QString chipModeString(int mode);

// The chips with the full parameter set: 4, 5, 6, 7, 8, 9, 10, 11, 12, 17, 20.
bool isMainChip(int chipId);
// True when `chipId` is one of `ids`.
bool chipIn(int chipId, std::initializer_list<int> ids);

// Default register file ("./pm_9929.dat") of a chip and the raw decode index; empty
// when the chip has none.
QString defaultRegisterFile(int chipId, int decodeIndex);
// Every default register file with a chip id and a decode index that selects it.
struct DefaultFile {
    QString fileName;
    int chipId;
    int decodeIndex;
};
QList<DefaultFile> defaultRegisterFiles();

// Published entries of the range table: index and parameter name. A name gets the
// keys name + "_Min" and name + "_Max"; names sharing an index share the range.
const QList<QPair<int, QString>> &publishedRanges();

} // namespace ledwall::chip
