#pragma once
// The flash access descriptor of the sending-card object: what the block
// routines put into every ARM control frame they build. Callers load it before a
// transfer; the routines only read it.

#include <QtGlobal>

#include <array>

struct FlashAccessDescriptor {
    quint32 commandWord = 0; // c0 (lowest byte, the operation byte) .. c3
    quint8 c4 = 0;           // spare single byte
    quint8 slot = 0;         // c5: card slot
    quint8 port = 0;         // c6: sending-card port
    quint32 startAddress = 0;
    quint16 readLength = 0;
    quint8 routeByte = 0; // the flag byte: routing byte of the frame and pushCmdToClient's flag

    // Receiving-card write descriptor: the inner frame's fields.
    quint8 recvCommand = 0;
    quint16 recvWord1 = 0;   // first card (0xFFFF: every card)
    quint16 recvWord2 = 0;   // last card
    quint32 recvAddress = 0; // in 4-byte units; top byte 0xAF flash, 0xA0 16-byte space

    // c0 .. c6 as the frame header wants them.
    std::array<quint8, 7> commandBytes() const
    {
        return {quint8(commandWord),
                quint8(commandWord >> 8),
                quint8(commandWord >> 16),
                quint8(commandWord >> 24),
                c4,
                slot,
                port};
    }
};
