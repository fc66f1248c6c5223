#pragma once
// Builder of large video-processing-unit transfers; constructed fresh for each use.
//
// Two kinds of frame, each chosen by its head call first:
//   setFileHead(), then createData(&frame, map): the frame of a large transfer
//   of a catalogue module (e.g. a subtitle bitmap chunk);
//   setCmdHead(), then createData(frame, ...): one frame of a per-output table
//   of a scene into a caller-owned frame.
// A createData of the other kind than the head set logs and gives nothing.

#include <QByteArray>
#include <QVariantMap>

class Module_Base;
class Module_ProtocolBase;
class Module_VPU_Protocol;

class DAL_VPU_BIG
{
public:
    // The data object of map["moduleName"] to store (owned by the caller; null
    // for an unknown module).
    bool createData(Module_Base **data, const QVariantMap &map);

    void setFileHead();
    // The frame of a large transfer (owned by the caller; null on failure).
    bool createData(Module_ProtocolBase **frame, const QVariantMap &map);

    void setCmdHead();
    // Fills `frame` (module code and payload; guid, flag and device bytes are
    // kept) with one table frame: record length, numbers of the first and last
    // record in this frame, total number of records, table kind (0 output setup,
    // 1 channels, 2 layers, 3 image adjustment, 4 layout groups, 5 edge fusion,
    // 6 input blocks) and the records. False, frame untouched, on bad values.
    bool createData(Module_VPU_Protocol *frame, int recordLength, int startIndex, int recordCount,
                    int totalCount, int tableKind, const QByteArray &records);

private:
    enum class Head { None, File, Command };
    bool headIs(Head wanted, const char *what) const;
    Head m_head = Head::None;
};
