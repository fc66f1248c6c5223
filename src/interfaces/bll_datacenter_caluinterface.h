#pragma once
// Register arithmetic for the register editor.
//
// Byte texts are hexadecimal ("01 A0 ff", "01A0FF", with or without "0x",
// separated by spaces, commas or nothing). A bit field is "hi:lo" or a single
// bit "n" (square brackets allowed: "[7:4]"), bit 0 the least significant.
// Every function returns -1 for input it cannot use.

#include <QString>

class BLL_DataCenter_CaluInterface
{
public:
    // The sum of the first `length` bytes of the text (all of them when
    // length <= 0 or beyond the end), modulo 0x10000.
    qint64 CaluCHECK_SUM(QString bytes, qint64 length);
    // regValue with the bit field replaced by fieldValue (cut to the field's
    // width), within a register of `width` bits (1..63; 0 or less means 32).
    // The field must lie inside the register.
    qint64 CaluREGValue(QString field, qint64 regValue, qint64 fieldValue, qint64 width);
    // The value of the bit field within regValue, in a register of `width` bits.
    qint64 getParamValue(QString field, qint64 regValue, qint64 width);
};
