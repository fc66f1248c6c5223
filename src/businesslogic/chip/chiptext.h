#pragma once
// Text forms of the driver chip's data: the register image as text, the
// hexadecimal data files the cabinet hardware is programmed with, and the value
// lists shown by the interface.
//
// Register image text: the image as 16-bit little-endian words, each written as
// four lowercase hexadecimal digits (high byte first) and a ",":
//   bytes 34 12 CD AB  <->  "1234,abcd,"
// Data files: one hexadecimal entry per line, each followed by "," and CR LF;
// the text after the last "," is ignored.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

namespace ledwall::chip
{

// A register image parsed from text; `error` says why when it is refused.
struct ParsedImage {
    bool ok = false;
    QByteArray image;
    QString error;
};

// The largest register image text or default register file worth reading: a full
// image (4096 bytes) takes about 14 KB of text.
constexpr qint64 MaxRegisterTextSize = 1024 * 1024;

// Parses "1234,abcd," (or a default file's "1234,\r\nabcd,\r\n"): every entry
// before the last "," is a 16-bit hexadecimal word, appended low byte first. An
// entry that is empty, not hexadecimal or wider than 16 bits refuses the text.
ParsedImage parseRegisterText(const QByteArray &text);
// The register image text of `image` (whole 16-bit words only).
QString registerText(const QByteArray &image);
// A default register file: each 16-bit word of `image` as four lowercase hex
// digits followed by "," and CR LF.
QByteArray defaultFileText(const QByteArray &image);
// A byte as two lowercase hexadecimal digits ("0a").
QString byteHex(int byte);
// Byte `index` of a 32-bit value counted from the most significant (0 = bits 24 to
// 31, 3 = bits 0 to 7); other indexes give 0.
unsigned char byteOfWord(quint32 value, int index);

// Values followed by ":" each ("1:2.5:4:"); doubles in the shortest general form.
QString listText(const QVector<double> &values);
QString listText(const QVector<int> &values, int base = 10);

// Data-file lines of `length` bytes of `data` read as little-endian words of
// `unitBytes` (2 or 4) bytes: upper-case hex of 2 * unitBytes digits, ",", CR LF.
// The length is rounded down to whole words.
QByteArray wordLines(const unsigned char *data, int length, int unitBytes);
// The same for 16-bit values.
QByteArray valueLines(const QVector<quint16> &values, int digits);
// "bit.txt": the header (bits, sub-frames, third value, two hex digits and "," per
// line), then `subFrames` rows of `bits` two-digit entries each followed by ",".
QByteArray bitTableText(int bits, int subFrames, int third, const QByteArray &table);
// "oe.dat": the bit table's header, the two control values, the table rows, then
// the control words as four hex digits and ",".
QByteArray controlText(int bits, int subFrames, int third, int value1, int value2,
                       const QByteArray &table, const QVector<quint16> &words);

// The bytes of a data file's entries: mode 0 one byte each, mode 1 two bytes (high
// first), mode 2 four bytes each (high first) when `width` is 8, else two, the
// result padded with zero bytes to a whole number of 32-bit groups. Empty with
// `*ok` false when an entry is not hexadecimal or does not fit its unit.
QByteArray fileDataBytes(const QByteArray &text, int mode, int width, bool *ok);

} // namespace ledwall::chip
