#include "datagramwriter.h"

#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace ledwall::link
{

DatagramWriter::DatagramWriter(qintptr descriptor, const QHostAddress &address, quint16 port)
    : m_descriptor(descriptor)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(ipv4);
        m_destination = QByteArray(reinterpret_cast<const char *>(&to), sizeof to);
    } else {
        sockaddr_in6 to{};
        to.sin6_family = AF_INET6;
        to.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&to.sin6_addr, bytes.c, sizeof to.sin6_addr);
        m_destination = QByteArray(reinterpret_cast<const char *>(&to), sizeof to);
    }
}

bool DatagramWriter::writeLocked(const QByteArray &datagram)
{
    if (m_descriptor < 0)
        return false;
    const ssize_t sent = ::sendto(int(m_descriptor), datagram.constData(), size_t(datagram.size()),
                                  MSG_DONTWAIT | MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr *>(m_destination.constData()),
                                  socklen_t(m_destination.size()));
    return sent == datagram.size();
}

void DatagramWriter::close()
{
    auto locked = lock();
    m_descriptor = -1;
}

} // namespace ledwall::link
