#include "loopbackfanout.h"

#include "udpserver.h"

#include <QNetworkDatagram>

namespace ledwall::sim
{

bool LoopbackFanOut::start(const QList<Endpoint> &walls, const QHostAddress &address)
{
    if (!isLoopbackAddress(address) || !m_front.bind(address, 0))
        return false;
    for (const Endpoint &wall : walls) {
        if (!isLoopbackAddress(wall.first))
            return false;
        auto relay = std::make_unique<Relay>();
        relay->wall = wall;
        if (!relay->socket.bind(wall.first, 0))
            return false;
        Relay *r = relay.get();
        // What the wall answers goes back to whoever last sent to the fan-out.
        QObject::connect(&r->socket, &QUdpSocket::readyRead, [this, r] {
            while (r->socket.hasPendingDatagrams()) {
                const QNetworkDatagram answer = r->socket.receiveDatagram();
                if (isLoopbackAddress(m_client.first))
                    r->socket.writeDatagram(answer.data(), m_client.first, m_client.second);
            }
        });
        m_relays.push_back(std::move(relay));
    }
    QObject::connect(&m_front, &QUdpSocket::readyRead, [this] {
        while (m_front.hasPendingDatagrams()) {
            const QNetworkDatagram request = m_front.receiveDatagram();
            if (!isLoopbackAddress(request.senderAddress()))
                continue;
            m_client = {request.senderAddress(), quint16(request.senderPort())};
            for (const auto &relay : m_relays)
                relay->socket.writeDatagram(request.data(), relay->wall.first, relay->wall.second);
        }
    });
    return true;
}

} // namespace ledwall::sim
