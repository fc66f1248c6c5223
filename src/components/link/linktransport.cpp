#include "linktransport.h"

#include "linklog.h"

#include <QNetworkDatagram>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QUdpSocket>

#ifdef LEDWALL_HAVE_LIBUSB
#include <libusb.h>
#endif

namespace ledwall::link
{

// --- common -------------------------------------------------------------------

void LinkTransport::deliverStream(const QByteArray &bytes)
{
    const qint64 badBefore = m_deframer.badRecords();
    const QList<QByteArray> datagrams = m_deframer.feed(bytes);
    const qint64 bad = m_deframer.badRecords() - badBefore;
    if (bad > 0 && m_handlers.garbled)
        m_handlers.garbled(int(bad));
    for (const QByteArray &datagram : datagrams) {
        if (m_closed)
            return;
        if (m_handlers.datagram)
            m_handlers.datagram(datagram, QString(), 0);
    }
}

void LinkTransport::fail(const QString &error)
{
    if (m_closed)
        return;
    m_error = error;
    close();
    if (m_handlers.failed)
        m_handlers.failed(error);
}

// --- UDP ----------------------------------------------------------------------

UdpTransport::~UdpTransport()
{
    close();
}

namespace
{

// The local address the system would send from to reach `peer`: connecting a UDP
// socket sends nothing, it only picks the route. Null when there is none.
QHostAddress routeSource(const QHostAddress &peer, quint16 port)
{
    QUdpSocket probe;
    probe.connectToHost(peer, port);
    if (!probe.waitForConnected(100))
        return QHostAddress();
    bool isIpv4 = false;
    const quint32 ipv4 = probe.localAddress().toIPv4Address(&isIpv4);
    return isIpv4 ? QHostAddress(ipv4) : QHostAddress();
}

} // namespace

bool UdpTransport::open(const QHostAddress &address, quint16 port, bool anyResponder)
{
    m_address = address;
    m_port = port;
    m_socket = new QUdpSocket(this);
    // A link to one device listens on the interface that leads to it; a search
    // listens on every interface, since answers to a broadcast come from anywhere.
    QHostAddress local(QHostAddress::AnyIPv4);
    if (address.isLoopback())
        local = QHostAddress(QHostAddress::LocalHost);
    else if (!anyResponder)
        local = routeSource(address, port);
    if (local.isNull())
        local = QHostAddress(QHostAddress::AnyIPv4);
    if (!m_socket->bind(local, 0)) {
        m_error = m_socket->errorString();
        delete m_socket;
        m_socket = nullptr;
        return false;
    }
    m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpTransport::readPending);
    m_writer = std::make_shared<DatagramWriter>(m_socket->socketDescriptor(), address, port);
    return true;
}

void UdpTransport::readPending()
{
    // A bounded batch per wake-up: under a flood the link's thread still gets
    // round to delivering what it read and to its time-outs. The socket stays
    // readable, so the rest comes with the next turn of the event loop.
    constexpr int MaxDatagramsPerWakeUp = 256;
    for (int n = 0; n < MaxDatagramsPerWakeUp && m_socket && m_socket->hasPendingDatagrams(); ++n) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        QHostAddress sender = datagram.senderAddress();
        bool isIpv4 = false;
        const quint32 ipv4 = sender.toIPv4Address(&isIpv4);
        if (isIpv4)
            sender = QHostAddress(ipv4);
        if (m_handlers.datagram)
            m_handlers.datagram(datagram.data(), sender.toString(), quint16(datagram.senderPort()));
    }
}

bool UdpTransport::write(const QByteArray &datagram)
{
    return m_writer && m_writer->write(datagram);
}

void UdpTransport::close()
{
    m_closed = true;
    if (m_writer)
        m_writer->close(); // before the descriptor goes
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->close();
    delete m_socket;
    m_socket = nullptr;
}

QVariantMap UdpTransport::endpoint() const
{
    return QVariantMap{{QStringLiteral("address"), m_address.toString()},
                       {QStringLiteral("port"), m_port}};
}

// --- serial -------------------------------------------------------------------

SerialTransport::~SerialTransport()
{
    close();
}

bool SerialTransport::open(const QString &portName, int baudRate)
{
    m_portName = portName;
    m_baudRate = baudRate;
    if (portName.isEmpty()) {
        m_error = QStringLiteral("no port name");
        return false;
    }
    if (baudRate <= 0) {
        m_error = QStringLiteral("invalid baud rate %1").arg(baudRate);
        return false;
    }
    m_port = new QSerialPort(portName, this);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_error = m_port->errorString();
        delete m_port;
        m_port = nullptr;
        return false;
    }
    if (!m_port->setBaudRate(baudRate) || !m_port->setDataBits(QSerialPort::Data8) ||
        !m_port->setParity(QSerialPort::NoParity) || !m_port->setStopBits(QSerialPort::OneStop) ||
        !m_port->setFlowControl(QSerialPort::NoFlowControl)) {
        m_error = m_port->errorString();
        m_port->close();
        delete m_port;
        m_port = nullptr;
        return false;
    }
    connect(m_port, &QSerialPort::readyRead, this, [this] { deliverStream(m_port->readAll()); });
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError || error == QSerialPort::PermissionError)
            fail(m_port ? m_port->errorString() : QStringLiteral("serial port lost"));
    });
    return true;
}

bool SerialTransport::write(const QByteArray &datagram)
{
    const QByteArray record = StreamDeframer::wrap(datagram);
    if (!m_port || record.isEmpty())
        return false;
    return m_port->write(record) == record.size();
}

void SerialTransport::close()
{
    m_closed = true;
    if (!m_port)
        return;
    m_port->disconnect(this);
    m_port->close();
    m_port->deleteLater(); // close() may run inside one of the port's own signals
    m_port = nullptr;
}

QVariantMap SerialTransport::endpoint() const
{
    return QVariantMap{{QStringLiteral("portName"), m_portName},
                       {QStringLiteral("baudRate"), m_baudRate}};
}

QStringList SerialTransport::portNames()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names.append(info.portName());
    return names;
}

// --- USB ----------------------------------------------------------------------

#ifdef LEDWALL_HAVE_LIBUSB

namespace
{

constexpr int UsbReadChunk = 16384;
constexpr unsigned int UsbReadTimeoutMs = 50; // how quickly the reader notices close()
constexpr unsigned int UsbWriteTimeoutMs = 1000;

QString serialOf(libusb_device_handle *handle, const libusb_device_descriptor &descriptor)
{
    if (descriptor.iSerialNumber == 0)
        return QString();
    unsigned char text[256] = {};
    const int length =
        libusb_get_string_descriptor_ascii(handle, descriptor.iSerialNumber, text, sizeof text - 1);
    if (length <= 0)
        return QString();
    return QString::fromLatin1(reinterpret_cast<const char *>(text), length);
}

// Calls `visit` with every openable device of the given ids and its serial number;
// stops when `visit` returns true and then hands that handle over (the rest are closed).
libusb_device_handle *findDevice(libusb_context *context, quint16 vendorId, quint16 productId,
                                 const std::function<bool(const QString &serial)> &visit)
{
    libusb_device **devices = nullptr;
    const ssize_t count = libusb_get_device_list(context, &devices);
    if (count < 0)
        return nullptr;
    libusb_device_handle *found = nullptr;
    for (ssize_t i = 0; i < count && !found; ++i) {
        libusb_device_descriptor descriptor;
        if (libusb_get_device_descriptor(devices[i], &descriptor) != 0)
            continue;
        if (descriptor.idVendor != vendorId || descriptor.idProduct != productId)
            continue;
        libusb_device_handle *handle = nullptr;
        if (libusb_open(devices[i], &handle) != 0) {
            qCDebug(lcLink) << "usb device" << Qt::hex << vendorId << productId
                            << "cannot be opened";
            continue;
        }
        if (visit(serialOf(handle, descriptor)))
            found = handle;
        else
            libusb_close(handle);
    }
    libusb_free_device_list(devices, 1);
    return found;
}

} // namespace

UsbTransport::~UsbTransport()
{
    close();
}

QStringList UsbTransport::serialNumbers(quint16 vendorId, quint16 productId)
{
    QStringList serials;
    libusb_context *context = nullptr;
    if (libusb_init(&context) != 0) {
        qCDebug(lcLink) << "libusb could not be initialised";
        return serials;
    }
    findDevice(context, vendorId, productId, [&serials](const QString &serial) {
        if (!serial.isEmpty())
            serials.append(serial);
        return false;
    });
    libusb_exit(context);
    return serials;
}

bool UsbTransport::open(quint16 vendorId, quint16 productId, const QString &serialNumber)
{
    libusb_context *context = nullptr;
    if (libusb_init(&context) != 0) {
        m_error = QStringLiteral("libusb could not be initialised");
        return false;
    }
    libusb_device_handle *handle =
        findDevice(context, vendorId, productId, [&](const QString &serial) {
            return serialNumber.isEmpty() || serial == serialNumber;
        });
    if (!handle) {
        m_error = QStringLiteral("no USB device %1:%2%3")
                      .arg(vendorId, 4, 16, QLatin1Char('0'))
                      .arg(productId, 4, 16, QLatin1Char('0'))
                      .arg(serialNumber.isEmpty()
                               ? QString()
                               : QStringLiteral(" with serial number \"%1\"").arg(serialNumber));
        libusb_exit(context);
        return false;
    }

    // The first bulk IN and OUT endpoints of interface 0 carry the byte stream.
    libusb_config_descriptor *config = nullptr;
    if (libusb_get_active_config_descriptor(libusb_get_device(handle), &config) == 0 &&
        config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
        const libusb_interface_descriptor &alt = config->interface[0].altsetting[0];
        m_interface = alt.bInterfaceNumber;
        for (int i = 0; i < alt.bNumEndpoints; ++i) {
            const libusb_endpoint_descriptor &ep = alt.endpoint[i];
            if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                continue;
            if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
                if (!m_endpointIn)
                    m_endpointIn = ep.bEndpointAddress;
            } else if (!m_endpointOut) {
                m_endpointOut = ep.bEndpointAddress;
            }
        }
    }
    if (config)
        libusb_free_config_descriptor(config);
    if (!m_endpointIn || !m_endpointOut) {
        m_error = QStringLiteral("USB device has no bulk endpoints");
        libusb_close(handle);
        libusb_exit(context);
        return false;
    }
    libusb_set_auto_detach_kernel_driver(handle, 1);
    const int claimed = libusb_claim_interface(handle, m_interface);
    if (claimed != 0) {
        m_error = QStringLiteral("USB interface busy: %1")
                      .arg(QString::fromLatin1(libusb_error_name(claimed)));
        libusb_close(handle);
        libusb_exit(context);
        return false;
    }
    m_context = context;
    m_handle = handle;
    m_serialNumber = serialNumber;
    m_reading = true;
    m_reader = std::thread([this] { readLoop(); });
    return true;
}

void UsbTransport::readLoop()
{
    auto *handle = static_cast<libusb_device_handle *>(m_handle);
    QByteArray buffer(UsbReadChunk, Qt::Uninitialized);
    while (m_reading) {
        int transferred = 0;
        const int rc = libusb_bulk_transfer(handle, m_endpointIn,
                                            reinterpret_cast<unsigned char *>(buffer.data()),
                                            buffer.size(), &transferred, UsbReadTimeoutMs);
        if (transferred > 0) {
            const QByteArray bytes = buffer.left(transferred);
            QMetaObject::invokeMethod(
                this, [this, bytes] { deliverStream(bytes); }, Qt::QueuedConnection);
        }
        if (rc != 0 && rc != LIBUSB_ERROR_TIMEOUT && rc != LIBUSB_ERROR_INTERRUPTED) {
            const QString error = QStringLiteral("USB read failed: %1")
                                      .arg(QString::fromLatin1(libusb_error_name(rc)));
            QMetaObject::invokeMethod(
                this, [this, error] { fail(error); }, Qt::QueuedConnection);
            return;
        }
    }
}

bool UsbTransport::write(const QByteArray &datagram)
{
    const QByteArray record = StreamDeframer::wrap(datagram);
    if (!m_handle || record.isEmpty())
        return false;
    auto *handle = static_cast<libusb_device_handle *>(m_handle);
    int offset = 0;
    while (offset < record.size()) {
        int transferred = 0;
        const int rc = libusb_bulk_transfer(
            handle, m_endpointOut,
            reinterpret_cast<unsigned char *>(const_cast<char *>(record.constData() + offset)),
            record.size() - offset, &transferred, UsbWriteTimeoutMs);
        offset += transferred;
        if (rc != 0 && transferred == 0) {
            qCDebug(lcLink) << "usb write failed:" << libusb_error_name(rc);
            return false;
        }
    }
    return true;
}

void UsbTransport::close()
{
    m_closed = true;
    m_reading = false;
    if (m_reader.joinable())
        m_reader.join();
    if (m_handle) {
        auto *handle = static_cast<libusb_device_handle *>(m_handle);
        libusb_release_interface(handle, m_interface);
        libusb_close(handle);
        m_handle = nullptr;
    }
    if (m_context) {
        libusb_exit(static_cast<libusb_context *>(m_context));
        m_context = nullptr;
    }
}

#else // no libusb

UsbTransport::~UsbTransport() = default;

QStringList UsbTransport::serialNumbers(quint16, quint16)
{
    qCDebug(lcLink) << "USB links are not available: built without libusb";
    return QStringList();
}

bool UsbTransport::open(quint16, quint16, const QString &serialNumber)
{
    m_serialNumber = serialNumber;
    m_error = QStringLiteral("USB links are not available: built without libusb");
    return false;
}

bool UsbTransport::write(const QByteArray &)
{
    return false;
}

void UsbTransport::close()
{
    m_closed = true;
}

void UsbTransport::readLoop() {}

#endif

QVariantMap UsbTransport::endpoint() const
{
    return QVariantMap{{QStringLiteral("serialNumber"), m_serialNumber}};
}

} // namespace ledwall::link
