#pragma once
// Transports of the link manager: UDP datagrams, and serial ports and USB bulk
// endpoints carrying datagrams in the byte-stream framing of streamframing.h.
//
// A transport lives in the link manager's I/O thread and reports through the
// handlers set before opening; it never outlives a thread it started.

#include "datagramwriter.h"
#include "streamframing.h"

#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QSerialPort;
class QUdpSocket;

namespace ledwall::link
{

class LinkTransport : public QObject
{
    Q_OBJECT
public:
    struct Handlers {
        // One received datagram and where it came from (address empty on byte streams).
        std::function<void(const QByteArray &datagram, const QString &address, quint16 port)>
            datagram;
        // Records of a byte stream that failed their checks.
        std::function<void(int count)> garbled;
        // The transport broke down (device unplugged, port lost); it is closed.
        std::function<void(const QString &error)> failed;
    };

    explicit LinkTransport(Handlers handlers) : m_handlers(std::move(handlers)) {}

    // Sends one datagram; false when it could not be handed to the system.
    virtual bool write(const QByteArray &datagram) = 0;
    // Stops reporting and releases the device. Safe to call twice.
    virtual void close() = 0;
    // The endpoint for status maps.
    virtual QVariantMap endpoint() const = 0;
    QString errorString() const { return m_error; }

protected:
    void deliverStream(const QByteArray &bytes);
    void fail(const QString &error);

    Handlers m_handlers;
    StreamDeframer m_deframer;
    QString m_error;
    bool m_closed = false;
};

class UdpTransport : public LinkTransport
{
    Q_OBJECT
public:
    using LinkTransport::LinkTransport;
    ~UdpTransport() override;

    // `anyResponder`: a search link, whose answers may come from any device.
    bool open(const QHostAddress &address, quint16 port, bool anyResponder = false);
    bool write(const QByteArray &datagram) override;
    void close() override;
    QVariantMap endpoint() const override;
    // Writes to the device from any thread while the transport is open.
    std::shared_ptr<DatagramWriter> writer() const { return m_writer; }

private:
    void readPending();

    QUdpSocket *m_socket = nullptr;
    std::shared_ptr<DatagramWriter> m_writer;
    QHostAddress m_address;
    quint16 m_port = 0;
};

class SerialTransport : public LinkTransport
{
    Q_OBJECT
public:
    using LinkTransport::LinkTransport;
    ~SerialTransport() override;

    bool open(const QString &portName, int baudRate);
    bool write(const QByteArray &datagram) override;
    void close() override;
    QVariantMap endpoint() const override;

    static QStringList portNames();

private:
    QSerialPort *m_port = nullptr;
    QString m_portName;
    int m_baudRate = 0;
};

class UsbTransport : public LinkTransport
{
    Q_OBJECT
public:
    using LinkTransport::LinkTransport;
    ~UsbTransport() override;

    // An empty serial number takes the first matching device.
    bool open(quint16 vendorId, quint16 productId, const QString &serialNumber);
    bool write(const QByteArray &datagram) override;
    void close() override;
    QVariantMap endpoint() const override;

    static QStringList serialNumbers(quint16 vendorId, quint16 productId);

private:
    void readLoop();

    void *m_context = nullptr; // libusb_context
    void *m_handle = nullptr;  // libusb_device_handle
    quint8 m_endpointIn = 0;
    quint8 m_endpointOut = 0;
    int m_interface = 0;
    QString m_serialNumber;
    std::atomic<bool> m_reading{false};
    std::thread m_reader;
};

} // namespace ledwall::link
