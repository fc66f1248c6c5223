#pragma once
// Helpers of the topology tests: port-table records built byte by byte, and
// texts tuned to compress to an exact size.

#include <QByteArray>
#include <QRandomGenerator>

#include <zlib.h>

namespace topologytest {

struct Port {
    int ethId = 0, order = 0, across = 1, down = 1, x = 0, y = 0, width = 128, height = 128,
        enable = 1;
};

// One 13-byte record, laid out independently of the library's parser.
inline QByteArray record(const Port &p)
{
    QByteArray r;
    r.append(char(p.ethId)).append(char(p.order)).append(char(p.across)).append(char(p.down));
    for (int v : {p.x, p.y, p.width, p.height})
        r.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    r.append(char(p.enable));
    return r;
}

inline int compressedSize(const QByteArray &text)
{
    uLongf length = compressBound(uLong(text.size()));
    QByteArray out(int(length), '\0');
    compress(reinterpret_cast<Bytef *>(out.data()), &length,
             reinterpret_cast<const Bytef *>(text.constData()), uLong(text.size()));
    return int(length);
}

// `head` followed by hexadecimal text of random bytes and a tail of random
// letters from a two-letter alphabet (about one bit each), tuned so that the
// whole compresses to exactly `target` bytes. Empty when no such text was found.
inline QByteArray textCompressingTo(int target, const QByteArray &head = QByteArray())
{
    QRandomGenerator random{quint32(target)};
    QByteArray noise(target * 2, '\0');
    for (char &c : noise)
        c = char(random.generate() & 0xFF);
    const QByteArray hex = noise.toHex();
    // Longest hex prefix that stays a few bytes below the target.
    int low = 0, high = hex.size();
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (compressedSize(head + hex.left(middle)) <= target - 8)
            low = middle;
        else
            high = middle - 1;
    }
    const QByteArray base = head + hex.left(low);
    for (int attempt = 0; attempt < 8; ++attempt) {
        QByteArray tail(256, '\0');
        for (char &c : tail)
            c = (random.generate() & 1) ? 'g' : 'h';
        int lo = 0, hi = tail.size();
        while (lo < hi) {
            const int middle = (lo + hi) / 2;
            if (compressedSize(base + tail.left(middle)) < target)
                lo = middle + 1;
            else
                hi = middle;
        }
        for (int n = qMax(0, lo - 4); n <= qMin(int(tail.size()), lo + 4); ++n) {
            const QByteArray text = base + tail.left(n);
            if (compressedSize(text) == target)
                return text;
        }
    }
    return QByteArray();
}

} // namespace topologytest
