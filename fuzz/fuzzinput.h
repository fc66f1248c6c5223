#pragma once
// What every fuzz target shares: the input as a QByteArray that does not copy it,
// and quiet logging (the parsers log what they refuse; at a million inputs a
// second the log would be the bottleneck).

#include <QByteArray>
#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
}

#define LEDWALL_FUZZ_QUIET_LOGGING                                                                 \
    extern "C" int LLVMFuzzerInitialize(int *, char ***)                                           \
    {                                                                                              \
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.warning=false"));        \
        return 0;                                                                                  \
    }
