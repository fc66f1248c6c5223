#pragma once
// A module data map as the pipeline reads it: the keys that choose the branch, the
// device and the store, with their defaults. Every other key is left to the packet
// builders.

#include <QString>
#include <QVariantMap>

#include <optional>

// The keys of a module data map that the pipeline itself reads, with their defaults.
// Every other key is left to the packet builders.
struct ModuleCommand {
    enum class Branch { Processor, LargeTransfer, SendCard, VideoProcessingUnit };

    QString moduleName;
    QString guid;
    bool hasSendCardFlag = false;
    int sendCardFlag = 0;
    int processorFlag = -1;
    bool isBig = false;
    bool isSave = false;
    QString sceneId;
    QString sendDataToDevice;
    std::optional<int> bigType;
    // walking-point parameters
    bool bAdvance = false;
    quint32 pointIndex = 0;
    quint32 ltcpAddr_data = 0;
    quint32 scanLineLen = 0;
    quint32 virtualPointCount = 0;

    // Reads the map; a missing key or a value that does not convert takes the default.
    static ModuleCommand fromMap(const QVariantMap &map);

    Branch branch() const;
    // A command stored under a scene, or marked as store-only, is not sent.
    bool sendsFrame() const { return sceneId.isEmpty() && sendDataToDevice.isEmpty(); }
};
