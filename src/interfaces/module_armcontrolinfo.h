#pragma once
// Flash access descriptor of a sending-card block transfer, as a data object the
// facade fills from a module data map by reflection (fillModuleNew).
//
// The header bytes it feeds (docs/protocol.md, "ARM control frame"):
//   c0..c3 = m_commandWord bytes, lowest first (c0 is the operation byte);
//   c4 = m_c4, c5 = m_cardSlotNum, c6 = m_portNum;
//   address = m_regAddr, length = m_readLength for read requests.
// The ltcp* members describe the inner frame of receiving-card chunks.

#include "module_base.h"

class Module_ARMControlInfo : public Module_Base
{
public:
    Module_ARMControlInfo()
    {
        m_moduleName = QStringLiteral("Module_ARMControlInfo");
        registerMembers();
    }
    Module_ARMControlInfo(const Module_ARMControlInfo &other) : Module_ARMControlInfo()
    {
        *this = other;
    }
    Module_ARMControlInfo &operator=(const Module_ARMControlInfo &) = default;
    ~Module_ARMControlInfo() override = default;

    Module_Base *clone() const override { return new Module_ARMControlInfo(*this); }

    // Command byte c0..c6 of the header; 0 for other indexes.
    quint8 commandByte(int index) const
    {
        switch (index) {
        case 0:
        case 1:
        case 2:
        case 3:
            return quint8(m_commandWord >> (8 * index));
        case 4:
            return m_c4;
        case 5:
            return m_cardSlotNum;
        case 6:
            return m_portNum;
        default:
            return 0;
        }
    }

    quint32 m_commandWord = 0; // c0 (operation byte, lowest) .. c3 (highest)
    quint8 m_c4 = 0;           // header byte 9
    quint8 m_cardSlotNum = 0;  // c5, header byte 7
    quint8 m_portNum = 0;      // c6, header byte 8
    quint16 m_readLength = 0;  // length asked for by read requests
    quint32 m_regAddr = 0;     // sending-card start address
    quint8 ltcpCommand = 0;    // inner frame byte 3 (0x01 write, 0x02 read)
    quint16 ltcpFirstCard = 0; // inner frame word 1: first card index, 0xFFFF every card
    quint16 ltcpLastCard = 0;  // inner frame word 2: last card index
    quint32 ltcpAddr_data = 0; // receiving-card start address, 4-byte units
    quint8 m_routeByte = 0;    // routing byte, passed as the flag of pushCmdToClient

private:
    void registerMembers()
    {
        const QString u8 = QStringLiteral("unsigned char");
        const QString u16 = QStringLiteral("unsigned short");
        const QString u32 = QStringLiteral("unsigned int");
        registerMember(QStringLiteral("m_commandWord"), &m_commandWord, u32);
        registerMember(QStringLiteral("m_c4"), &m_c4, u8);
        registerMember(QStringLiteral("m_cardSlotNum"), &m_cardSlotNum, u8);
        registerMember(QStringLiteral("m_portNum"), &m_portNum, u8);
        registerMember(QStringLiteral("m_readLength"), &m_readLength, u16);
        registerMember(QStringLiteral("m_regAddr"), &m_regAddr, u32);
        registerMember(QStringLiteral("ltcpCommand"), &ltcpCommand, u8);
        registerMember(QStringLiteral("ltcpFirstCard"), &ltcpFirstCard, u16);
        registerMember(QStringLiteral("ltcpLastCard"), &ltcpLastCard, u16);
        registerMember(QStringLiteral("ltcpAddr_data"), &ltcpAddr_data, u32);
        registerMember(QStringLiteral("m_routeByte"), &m_routeByte, u8);
    }
};
