#pragma once
// The video processor / VPU side of the virtual wall.
//
// It drives the synchronisation handshake the way a processor does:
// - a before-synchronisation 5 (a scene follows) is answered with one request per
//   data type ("Module_ReadBeforeSynInfo", cmdFlag 5, synType 0, 1, 2, 3, 4, 5, 6,
//   255 in turn), each sent once the table of the previous one is complete (its last
//   record number equals its total) or, for type 4, once the before-synchronisation 4
//   came; then cmdFlag 4, synType 0 ends the scene;
// - a before-synchronisation 7 (a large package was stored) asks for the
//   edge-fusion table (7, 0), then for a request 6 (7, 5), then for the output-setup
//   table (7, 255), and ends with (4, 0).
// It stores the tables and templates it receives, and stores subtitle chunks,
// answering every chunk with "subtitleResult" 1 and "subtitleAddress". Other
// frames are acknowledged when they ask for it. Requests leave as device frames
// (flags 0x80, sequence 0).

#include "devicerole.h"

#include <QList>
#include <QMap>

#include <mutex>

namespace ledwall::sim
{

struct ProcessorState {
    QList<int> templates;         // template numbers stored, in order
    int scenesStarted = 0;        // before-synchronisation 5 received
    int scenesFinished = 0;       // scene ends (cmdFlag 4) sent
    QMap<int, int> tableFrames;   // table kind -> frames received
    QMap<int, QByteArray> tables; // table kind -> records of the last complete table
    QByteArray subtitle;          // subtitle pixels stored by position
    int subtitleChunks = 0;       // chunks stored
    bool subtitleEnded = false;   // the end command came
    int refused = 0;              // frames of these modules that did not parse
};

class ProcessorRole : public DeviceRole
{
public:
    // Subtitle bitmaps are far smaller; a chunk beyond this is refused.
    static constexpr int MaxSubtitleSize = 4 * 1024 * 1024;

    QString roleName() const override { return QStringLiteral("processor"); }
    bool accepts(const Frame &frame) const override
    {
        return frame.protocolType == 1 || frame.protocolType == 2;
    }
    RoleReply handle(const Frame &frame) override;

    ProcessorState state() const;
    void resetState();

private:
    struct Step {
        int cmdFlag;
        int synType;
        int awaitedTable; // table kind that completes the step, or -1
        int awaitedFlag;  // before-synchronisation flag that completes it, or -1
    };
    // Both called with m_mutex held; they return the device frames to send.
    QVector<QByteArray> startSteps(const QList<Step> &steps);
    QVector<QByteArray> completeStep();
    RoleReply handleVpu(const Frame &frame);
    bool storeTable(const Frame &frame, bool *complete);
    bool storeSubtitleChunk(const QByteArray &payload, quint32 *position);

    mutable std::mutex m_mutex;
    ProcessorState m_state;
    QList<Step> m_steps;
    QMap<int, QByteArray> m_partial; // table kind -> records so far
};

} // namespace ledwall::sim
