#pragma once
// Test data shared by the sending-card tests.

#include <QByteArray>

#include <initializer_list>

// 16-bit words, most significant byte first, as the card's register pages hold them.
inline QByteArray words(std::initializer_list<quint16> values)
{
    QByteArray bytes;
    for (quint16 value : values)
        bytes.append(char(value >> 8)).append(char(value & 0xFF));
    return bytes;
}
