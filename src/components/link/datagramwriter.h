#pragma once
// Sends the datagrams of an open UDP transport from any thread.
//
// A request pushed while the link's window has room goes out from the caller's
// thread instead of waiting for the link manager's thread to wake up. Writers
// keep the order in which they take the lock: a caller takes it while still
// holding the link's lock, so frames leave in the order of their sequence numbers.
// close() waits for a write in progress and makes every later write fail, so the
// descriptor is never used after its socket is gone.
#include <QByteArray>
#include <QHostAddress>

#include <mutex>

namespace ledwall::link
{

class DatagramWriter
{
public:
    DatagramWriter(qintptr descriptor, const QHostAddress &address, quint16 port);

    // The lock that orders writes; writeLocked needs it held.
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(m_mutex); }
    // False when the system refused the datagram or the writer is closed.
    bool writeLocked(const QByteArray &datagram);
    bool write(const QByteArray &datagram)
    {
        auto locked = lock();
        return writeLocked(datagram);
    }
    void close();

private:
    std::mutex m_mutex;
    qintptr m_descriptor;
    QByteArray m_destination; // a sockaddr_in or sockaddr_in6
};

} // namespace ledwall::link
