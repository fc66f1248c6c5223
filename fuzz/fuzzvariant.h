#pragma once
// Request maps for the fuzz targets: values of the types a request may carry
// (missing, whole numbers, fractions, numeric or other text, booleans), read from
// the fuzz input one tagged value at a time.

#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzReader
{
public:
    FuzzReader(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    template <typename T> T number()
    {
        T value{};
        const size_t take = m_size - m_pos < sizeof(T) ? m_size - m_pos : sizeof(T);
        std::memcpy(&value, m_data + m_pos, take);
        m_pos += take;
        return value;
    }
    QString text()
    {
        const size_t length = byte() % 24;
        const size_t take = m_size - m_pos < length ? m_size - m_pos : length;
        const QString result =
            QString::fromLatin1(reinterpret_cast<const char *>(m_data + m_pos), int(take));
        m_pos += take;
        return result;
    }
    // An invalid QVariant stands for a missing key.
    QVariant value()
    {
        switch (byte() % 7) {
        case 0:
            return {};
        case 1:
            return number<int32_t>();
        case 2:
            return number<double>();
        case 3:
            return text();
        case 4:
            return qlonglong(number<int64_t>());
        case 5:
            return QString::number(number<int32_t>());
        default:
            return bool(byte() & 1);
        }
    }
    // The rest of the input.
    QByteArray rest()
    {
        const QByteArray bytes(reinterpret_cast<const char *>(m_data + m_pos), int(m_size - m_pos));
        m_pos = m_size;
        return bytes;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

inline void insertValue(QVariantMap *map, const QString &key, const QVariant &value)
{
    if (value.isValid())
        map->insert(key, value);
}
