#pragma once
// A value that one thread replaces while others read it: a worker converts a
// layout while the application asks for the last one. Readers get a copy taken
// under the lock (cheap for Qt's implicitly shared types), writers replace it
// whole, so nobody sees half of an assignment.

#include <mutex>
#include <utility>

template <typename T> class Guarded
{
public:
    T get() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_value;
    }
    void set(T value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_value = std::move(value);
    }

private:
    // A standard mutex rather than QMutex: its locking is seen by ThreadSanitizer
    // even against an uninstrumented Qt.
    mutable std::mutex m_mutex;
    T m_value{};
};
