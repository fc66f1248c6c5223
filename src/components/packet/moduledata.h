#pragma once
// Data objects of the packet layer: one class per module of the catalogue
// (modulecatalog.h). Every class registers each of its members in the two
// reflection tables of Module_Base, in its constructor and, by delegation, in its
// copy constructor, so a copy's tables name the copy's own members.
//
// docs/protocol.md lists the members of every module with their wire layout.

#include "module_base.h"

#include <QByteArray>
#include <QString>

// Registration helpers: the type name goes with the C++ type, so a member can
// never be registered under the wrong name.
class ModuleData : public Module_Base
{
protected:
    void addMember(const char *name, bool *member) { add(name, member, "bool"); }
    void addMember(const char *name, quint8 *member) { add(name, member, "unsigned char"); }
    void addMember(const char *name, quint16 *member) { add(name, member, "unsigned short"); }
    void addMember(const char *name, quint32 *member) { add(name, member, "unsigned int"); }
    void addMember(const char *name, qint32 *member) { add(name, member, "int"); }
    void addMember(const char *name, QString *member) { add(name, member, "class QString"); }
    void addMember(const char *name, QByteArray *member) { add(name, member, "class QByteArray"); }

private:
    void add(const char *name, void *member, const char *typeName)
    {
        registerMember(QString::fromLatin1(name), member, QString::fromLatin1(typeName));
    }
};

// Constructor, copy constructor (registering again), assignment and clone() of a
// concrete data object; the class defines registerMembers() for its own members.
#define LEDWALL_DATA_OBJECT(Class)                                                                 \
public:                                                                                            \
    Class()                                                                                        \
    {                                                                                              \
        m_moduleName = QStringLiteral(#Class);                                                     \
        registerMembers();                                                                         \
    }                                                                                              \
    Class(const Class &other) : Class()                                                            \
    {                                                                                              \
        *this = other;                                                                             \
    }                                                                                              \
    Class &operator=(const Class &) = default;                                                     \
    Module_Base *clone() const override                                                            \
    {                                                                                              \
        return new Class(*this);                                                                   \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    void registerMembers();                                                                        \
                                                                                                   \
public:

// ---- sending card -------------------------------------------------------------

// Write of a sending-card register block; the reply is an acknowledgement.
class Module_WriteSendCardRegister : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_WriteSendCardRegister)
    quint32 m_commandWord = 0x008000A5; // c0 (lowest) .. c3
    quint8 m_cardSlotNum = 0;
    quint8 m_portNum = 0;
    quint32 m_regAddr = 0;
    QByteArray regData;
    qint32 timeout = 1000;
    bool result = false; // set on a parsed acknowledgement
};

// Read of a sending-card register block, and the device's answer carrying it.
class Module_SendCardFlashInfo : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_SendCardFlashInfo)
    quint32 m_commandWord = 0x008000A4;
    quint8 m_cardSlotNum = 0;
    quint8 m_portNum = 0;
    quint32 m_regAddr = 0;
    quint16 readLength = 0;
    qint32 timeout = 1000;
    QByteArray regData; // the bytes read (replies)
    QString ip;         // address of the answering device (replies)
};

// The request side of a register read, under the name the UI uses.
class Module_ReadSendCardRegister : public Module_SendCardFlashInfo
{
    LEDWALL_DATA_OBJECT(Module_ReadSendCardRegister)
};

// Read of a receiving-card space through the sending card (inner frame).
class Module_ReceivingCardRead : public ModuleData
{
public:
    quint32 m_regAddr = 0xFF0000; // port address: (port | 0x10) << 16, 0xFF0000 every port
    quint8 ltcpCommand = 0x02;    // read
    quint16 ltcpFirstCard = 0xFFFF;
    quint16 ltcpLastCard = 0xFFFF;
    quint32 ltcpAddr_data = 0; // receiving-card address in 4-byte units
    quint16 readLength = 0;
    qint32 timeout = 1000;

protected:
    Module_ReceivingCardRead();
    Module_ReceivingCardRead(const Module_ReceivingCardRead &other) : Module_ReceivingCardRead()
    {
        *this = other;
    }
    Module_ReceivingCardRead &operator=(const Module_ReceivingCardRead &) = default;
};

// Receiving-card flash (address top byte 0xAF) read and its answer.
class Module_ReceivingFlashInfo : public Module_ReceivingCardRead
{
    LEDWALL_DATA_OBJECT(Module_ReceivingFlashInfo)
    QByteArray recvUpdateData; // the whole inner frame of the answer; data from offset 15
};

// Receiving-card memory (any other space) read and its answer.
class Module_ReceivingSDRAMInfo : public Module_ReceivingCardRead
{
    LEDWALL_DATA_OBJECT(Module_ReceivingSDRAMInfo)
    QByteArray recvData; // the data of the answer
    QString boxWHStr;    // "port:card:width:height" for answers from 0xA0000000
};

// Walking-point test parameters (the frames are sent by fillWalkPointer).
class Module_PixelWalkPointMap : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_PixelWalkPointMap)
    bool bAdvance = false;
    quint32 pointIndex = 0;
    quint32 ltcpAddr_data = 0;
    quint32 scanLineLen = 0;
    quint32 virtualPointCount = 0;
    quint32 pointBright = 0;
};

// ---- video processing unit ----------------------------------------------------

class Module_WriteBeforeSynInfo : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_WriteBeforeSynInfo)
    quint8 cmdFlag = 0;
};

class Module_ReadBeforeSynInfo : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_ReadBeforeSynInfo)
    quint8 cmdFlag = 0;
    quint8 synType = 0;
};

class Module_WriteTemplateInfo : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_WriteTemplateInfo)
    quint8 operateFlag = 0;
    quint8 templateNum = 0;
};

class Module_WriteSubtitleBMPFileInfo : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_WriteSubtitleBMPFileInfo)
    quint32 subtitleBMPPos = 0;
    quint16 subtitleBMPLen = 0;
    QByteArray subtitleBMPFile;
    quint8 subtitleResult = 0;   // answer: 1 = chunk stored
    quint32 subtitleAddress = 0; // answer: position of the stored chunk
};

class Module_WriteSubtitleStartOrEndInfo : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_WriteSubtitleStartOrEndInfo)
    quint8 topOrButtomSubtitle = 0;
    quint8 startOrEndSubtitle = 0;
    quint8 isSubtitle = 0;
};

// Result of a driver-chip buffer load (reported locally, also carried as a frame).
class Module_loadBuffToSdk : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_loadBuffToSdk)
    qint32 funcFlag = 0;
    qint32 loadFlag = 0;
};

// One frame of a per-output table of a scene (large-package command). The table
// kind says which table; each kind has a module of its own below.
class Module_SynTableInfo : public ModuleData
{
public:
    quint16 recordLength = 0;
    quint16 startIndex = 1;  // number of the first record in this frame, from 1
    quint16 recordCount = 0; // number of the last record in this frame
    quint16 totalCount = 0;
    quint8 tableKind = 0;
    QByteArray records;

protected:
    Module_SynTableInfo();
    Module_SynTableInfo(const Module_SynTableInfo &other) : Module_SynTableInfo() { *this = other; }
    Module_SynTableInfo &operator=(const Module_SynTableInfo &) = default;
};

class Module_SynOutputSetupInfo : public Module_SynTableInfo // kind 0
{
    LEDWALL_DATA_OBJECT(Module_SynOutputSetupInfo)
};
class Module_SynChannelInfo : public Module_SynTableInfo // kind 1
{
    LEDWALL_DATA_OBJECT(Module_SynChannelInfo)
};
class Module_LayerInfo : public Module_SynTableInfo // kind 2
{
    LEDWALL_DATA_OBJECT(Module_LayerInfo)
};
class Module_SynImageAdjustInfo : public Module_SynTableInfo // kind 3
{
    LEDWALL_DATA_OBJECT(Module_SynImageAdjustInfo)
};
class Module_SynGroupInfo : public Module_SynTableInfo // kind 4
{
    LEDWALL_DATA_OBJECT(Module_SynGroupInfo)
};
class Module_SynEdgeFusionInfo : public Module_SynTableInfo // kind 5
{
    LEDWALL_DATA_OBJECT(Module_SynEdgeFusionInfo)
};
class Module_SynInputBlockInfo : public Module_SynTableInfo // kind 6
{
    LEDWALL_DATA_OBJECT(Module_SynInputBlockInfo)
};

// ---- processor ------------------------------------------------------------------

// A processor command: its code and raw payload.
class Module_ProcessorCommand : public ModuleData
{
    LEDWALL_DATA_OBJECT(Module_ProcessorCommand)
    quint16 code = 0;
    QByteArray data;
};
