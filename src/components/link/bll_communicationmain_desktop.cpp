#include "bll_communicationmain_desktop.h"

#include "armframe.h"
#include "linklog.h"
#include "linkmessages.h"
#include "linktransport.h"
#include "module_sendcard_protocol.h"
#include "requestqueue.h"
#include "wireframe.h"

#include <QCoreApplication>
#include <QHash>
#include <QNetworkInterface>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <future>
#include <mutex>

Q_LOGGING_CATEGORY(lcLink, "ledwall.link")

using ledwall::link::LinkTransport;
using ledwall::link::RequestQueue;
namespace message = ledwall::link::message;

namespace
{

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString linkTypeName(int type)
{
    switch (type) {
    case NetworkLink:
        return QStringLiteral("network");
    case SerialLink:
        return QStringLiteral("serial");
    case UsbLink:
        return QStringLiteral("usb");
    }
    return QStringLiteral("unknown");
}

// Limited broadcast, or the broadcast address of one of this machine's networks.
bool isBroadcastAddress(const QHostAddress &address)
{
    if (address == QHostAddress(QHostAddress::Broadcast))
        return true;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            if (!entry.broadcast().isNull() && entry.broadcast() == address)
                return true;
        }
    }
    return false;
}

// A receiving-card read that may reach more than one card (every port, every
// card, or a range of cards): each addressed card answers on its own.
bool addressesSeveralCards(const Module_ProtocolBase &frame)
{
    if (frame.protocolType() != Module_ProtocolBase::SendCard)
        return false;
    const auto &card = static_cast<const Module_SendCard_Protocol &>(frame);
    const QByteArray &inner = card.cmdData;
    constexpr quint8 InnerRead = 0x02;
    constexpr quint32 EveryPort = 0xFF0000;
    constexpr quint16 EveryCard = 0xFFFF;
    if (inner.size() < ledwall::arm::InnerHeaderSize || !ledwall::arm::looksLikeInnerFrame(inner) ||
        quint8(inner.at(3)) != InnerRead)
        return false;
    const quint16 first = ledwall::arm::readU16(inner, 4);
    const quint16 last = ledwall::arm::readU16(inner, 6);
    return card.registerAddress() == EveryPort || first == EveryCard || last == EveryCard ||
           first != last;
}

struct LinkCounters {
    qint64 sent = 0;
    qint64 received = 0;
    qint64 timeouts = 0;
    qint64 dropped = 0;    // garbled datagrams, frames not sent by a device
    qint64 foreign = 0;    // datagrams from another address than the device's
    qint64 overflow = 0;   // unsolicited frames dropped because nobody took them in time
    qint64 late = 0;       // replies after their time-out, duplicates
    qint64 cleared = 0;    // queued frames dropped by clearCmdQueue
    qint64 sendErrors = 0; // frames the transport refused
};

// One communicate object. The fields under `mutex` are shared between the
// callers' threads and the I/O thread; the rest belong to the I/O thread.
struct Link {
    Link(QString id, CommunicationType linkType) : guid(std::move(id)), type(linkType) {}

    const QString guid;
    const CommunicationType type;

    std::mutex mutex;
    RequestQueue queue;
    LinkCounters counters;
    bool timeoutFlag = true;
    bool debug = false;
    bool open = false;
    bool searchMarked = false;     // setSearchLink
    bool broadcastAddress = false; // opened to a broadcast address
    bool isSearch() const { return searchMarked || broadcastAddress; }

    // Under the manager's outboxMutex: unsolicited frames waiting for the signals.
    int pendingUnsolicited = 0;
    int backlogLimit = BLL_CommunicationMain_Desktop::DefaultReceiveBacklog;

    // Network links to one device: sends from the caller's thread (see sendDirect).
    std::shared_ptr<ledwall::link::DatagramWriter> directWriter;
    // When the time-out timer fires next (-1: not armed). The timer itself belongs
    // to the I/O thread; the deadline is read by callers that send directly.
    qint64 armedDeadline = -1;

    std::atomic<bool> pumpPending{false};
    std::atomic<bool> released{false};

    // I/O thread only.
    LinkTransport *transport = nullptr;
    QTimer *timer = nullptr;
    QString peerAddress; // network links: where replies must come from
    quint16 peerPort = 0;
};

using LinkPtr = std::shared_ptr<Link>;

// Something to emit in the link manager's thread.
struct Event {
    enum Kind { Received, TimedOut, Status } kind = Status;
    LinkPtr link;
    std::unique_ptr<Module_ProtocolBase> frame;
    QVariantMap status;
    bool unsolicited = false; // device news nobody asked for: may be dropped under a flood
};

} // namespace

class LinkManagerPrivate
{
public:
    explicit LinkManagerPrivate(BLL_CommunicationMain_Desktop *owner) : q(owner) {}

    LinkPtr find(const QString &guid)
    {
        std::unique_lock<std::mutex> locker(linksMutex);
        return links.value(guid);
    }
    LinkPtr findOrLog(const QString &guid, const char *operation)
    {
        LinkPtr link = find(guid);
        if (!link)
            qCDebug(lcLink) << operation << "unknown link, guid:" << guid;
        return link;
    }

    // Runs `change` on the link under its lock; false for an unknown guid.
    bool withLink(const QString &guid, const char *operation,
                  const std::function<void(Link &)> &change)
    {
        LinkPtr link = findOrLog(guid, operation);
        if (!link)
            return false;
        std::unique_lock<std::mutex> locker(link->mutex);
        change(*link);
        return true;
    }
    // The same for a change that may let queued frames go out.
    void changeQueue(const QString &guid, const char *operation,
                     const std::function<void(RequestQueue &)> &change)
    {
        LinkPtr link = find(guid);
        if (withLink(guid, operation, [&](Link &l) { change(l.queue); }) && link)
            schedulePump(link);
    }

    // --- I/O thread management (any thread) ---
    void startDelivery();
    void ensureIoThread();
    bool runInIo(const std::function<void()> &work);
    void schedulePump(const LinkPtr &link);
    bool sendDirect(const LinkPtr &link, std::unique_lock<std::mutex> &locker);
    void shutdown();
    void clearOutbox();

    // --- opening and closing (any thread) ---
    bool
    openLink(const QString &guid, CommunicationType wanted,
             const std::function<LinkTransport *(LinkTransport::Handlers, QString *error)> &open);
    void closeLink(const LinkPtr &link, const QString &reason);

    // --- I/O thread ---
    LinkTransport::Handlers handlersFor(const LinkPtr &link);
    void pump(const LinkPtr &link);
    void armTimer(const LinkPtr &link);
    void expire(const LinkPtr &link);
    void receive(const LinkPtr &link, const QByteArray &datagram, const QString &address,
                 quint16 port);
    void sendDiscovery(const LinkPtr &link);
    enum class Deletion { Deferred, Now };
    bool closeTransport(const LinkPtr &link, Deletion deletion = Deletion::Deferred);

    // --- link manager's thread ---
    void post(Event event);
    void postStatus(const LinkPtr &link, QVariantMap status);
    void drain();

    BLL_CommunicationMain_Desktop *q;

    std::mutex linksMutex;
    QHash<QString, LinkPtr> links;

    std::mutex groupsMutex;
    QHash<QString, QVariantList> groups; // saved group lists by the guid they were saved for

    std::mutex controlMutex; // serialises starting, stopping and blocking calls into the I/O thread
    std::mutex ioMutex;      // guards the two pointers below
    QThread *linkThread = nullptr; // the link manager's own thread; kept for a restart
    QThread *ioThread = nullptr;   // linkThread while the I/O context exists
    QObject *ioContext = nullptr;  // sockets and timers hang off it

    std::mutex outboxMutex;
    std::deque<Event> outbox;
    std::atomic<bool> drainPending{false};
};

namespace
{

LinkManagerPrivate *g_manager = nullptr;
std::atomic<bool> g_hookRegistered{false};

// Runs from QCoreApplication's destructor (and at exit for processes without
// one): joins the I/O thread while the event machinery still exists.
void shutdownLinkManager()
{
    g_hookRegistered = false;
    if (g_manager)
        g_manager->shutdown();
}

void registerShutdownHook()
{
    if (g_hookRegistered.exchange(true))
        return;
    qAddPostRoutine(shutdownLinkManager);
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(shutdownLinkManager); });
}

} // namespace

// ---------------------------------------------------------------------------
// I/O thread management

// The link manager has one thread of its own. Its sockets and timers live there,
// and its signals leave from there, so that they flow whichever thread (with or
// without an event loop) touched it first. A reply is therefore emitted by the
// thread that read it, without a hand-over to a second thread; receivers
// connected directly must return quickly (copy the frame and queue the work).
void LinkManagerPrivate::startDelivery()
{
    if (!linkThread) {
        linkThread = new QThread;
        linkThread->setObjectName(QStringLiteral("ledwall.link"));
        q->moveToThread(linkThread);
    }
    if (!linkThread->isRunning())
        linkThread->start();
    registerShutdownHook();
}

void LinkManagerPrivate::ensureIoThread()
{
    std::unique_lock<std::mutex> locker(ioMutex);
    if (ioContext)
        return;
    startDelivery(); // again after a shutdown
    ioThread = linkThread;
    ioContext = new QObject;
    ioContext->moveToThread(ioThread);
}

bool LinkManagerPrivate::runInIo(const std::function<void()> &work)
{
    std::unique_lock<std::mutex> control(controlMutex);
    ensureIoThread();
    if (QThread::currentThread() == ioThread) {
        work();
        return true;
    }
    // A standard promise rather than a blocking queued call: the hand-over is then
    // visible to thread checkers, which do not see inside Qt's own locks.
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    if (!QMetaObject::invokeMethod(
            ioContext,
            [&work, &done] {
                work();
                done.set_value();
            },
            Qt::QueuedConnection))
        return false;
    finished.wait();
    return true;
}

void LinkManagerPrivate::schedulePump(const LinkPtr &link)
{
    if (link->pumpPending.exchange(true))
        return; // a pump is already on its way and will see this frame
    std::unique_lock<std::mutex> locker(ioMutex);
    if (!ioContext) {
        link->pumpPending = false;
        return;
    }
    QMetaObject::invokeMethod(
        ioContext, [this, link] { pump(link); }, Qt::QueuedConnection);
}

// On the caller's thread, with the link's lock held: sends the next frame of a
// network link straight to its device when the window has room, saving the
// wake-up of the link manager's thread. True when that thread has nothing to do
// for it: no other frame waiting and a time-out timer that fires no later than the
// new deadline (it re-arms for the rest when it fires).
bool LinkManagerPrivate::sendDirect(const LinkPtr &link, std::unique_lock<std::mutex> &locker)
{
    const std::shared_ptr<ledwall::link::DatagramWriter> writer = link->directWriter;
    RequestQueue::Dispatch dispatch;
    if (!writer || !link->queue.takeNext(monotonicNs(), &dispatch))
        return false;
    // Encoded under the link's lock: only then is the frame sure to stay.
    const QByteArray datagram = dispatch.frame->encode(dispatch.sequence);
    const bool debug = link->debug;
    std::unique_lock<std::mutex> writing = writer->lock();
    locker.unlock();
    const bool written = writer->writeLocked(datagram);
    writing.unlock();
    if (debug)
        qCDebug(lcLink).noquote() << "tx" << link->guid << datagram.toHex(' ');
    locker.lock();
    if (written) {
        ++link->counters.sent;
    } else {
        ++link->counters.sendErrors;
        qCDebug(lcLink) << "send failed, guid:" << link->guid << "sequence" << dispatch.sequence;
    }
    const qint64 deadline = link->queue.nextDeadline();
    const bool timerCovers =
        deadline < 0 || (link->armedDeadline >= 0 && link->armedDeadline <= deadline);
    return timerCovers && link->queue.queuedCount() == 0;
}

void LinkManagerPrivate::shutdown()
{
    std::unique_lock<std::mutex> control(controlMutex);
    QObject *context = nullptr;
    {
        std::unique_lock<std::mutex> locker(ioMutex);
        context = ioContext;
        ioThread = nullptr;
        ioContext = nullptr;
    }
    const bool onOwnThread = linkThread == QThread::currentThread();
    if (context) {
        QList<LinkPtr> all;
        {
            std::unique_lock<std::mutex> locker(linksMutex);
            all = links.values();
        }
        const auto closeAll = [this, &all] {
            for (const LinkPtr &link : all)
                closeTransport(link, Deletion::Now);
        };
        if (onOwnThread) {
            closeAll();
        } else {
            std::promise<void> done;
            std::future<void> finished = done.get_future();
            QMetaObject::invokeMethod(
                context,
                [&closeAll, &done] {
                    closeAll();
                    done.set_value();
                },
                Qt::QueuedConnection);
            finished.wait();
        }
    }
    if (linkThread && !onOwnThread) {
        linkThread->quit();
        linkThread->wait();
    }
    delete context;
    clearOutbox();
}

void LinkManagerPrivate::clearOutbox()
{
    std::unique_lock<std::mutex> locker(outboxMutex);
    for (const Event &event : outbox) {
        if (event.unsolicited)
            --event.link->pendingUnsolicited;
    }
    outbox.clear();
    drainPending = false;
}

// ---------------------------------------------------------------------------
// Opening and closing

bool LinkManagerPrivate::openLink(
    const QString &guid, CommunicationType wanted,
    const std::function<LinkTransport *(LinkTransport::Handlers, QString *)> &open)
{
    LinkPtr link = find(guid);
    if (!link) {
        qCDebug(lcLink) << "open: unknown link, guid:" << guid;
        return false;
    }
    if (link->type != wanted) {
        const QString error = QStringLiteral("link is a %1 link, not a %2 link")
                                  .arg(linkTypeName(link->type), linkTypeName(wanted));
        qCDebug(lcLink) << "open failed, guid:" << guid << error;
        postStatus(link, message::linkError(guid, link->type, error));
        return false;
    }
    bool opened = false;
    QString error;
    QVariantMap endpoint;
    const bool ran = runInIo([&] {
        closeTransport(link); // reopening starts afresh
        LinkTransport *transport = open(handlersFor(link), &error);
        if (!transport)
            return;
        link->transport = transport;
        link->timer = new QTimer(transport);
        link->timer->setTimerType(Qt::PreciseTimer);
        link->timer->setSingleShot(true);
        link->armedDeadline = -1;
        QObject::connect(link->timer, &QTimer::timeout, transport, [this, link] { expire(link); });
        {
            std::unique_lock<std::mutex> locker(link->mutex);
            link->open = true;
        }
        endpoint = transport->endpoint();
        opened = true;
        // Posted before anything goes out, so it precedes every answer.
        postStatus(link, message::linkOpened(guid, link->type, endpoint));
        if (link->type == NetworkLink)
            sendDiscovery(link);
        pump(link); // frames pushed before a reopen
    });
    if (!ran)
        error = QStringLiteral("link manager I/O thread is not running");
    if (!opened) {
        qCDebug(lcLink) << "open" << linkTypeName(wanted) << "link failed, guid:" << guid << error;
        postStatus(link, message::linkError(guid, link->type, error));
        return false;
    }
    qCDebug(lcLink) << "opened" << linkTypeName(wanted) << "link, guid:" << guid << endpoint;
    return true;
}

void LinkManagerPrivate::closeLink(const LinkPtr &link, const QString &reason)
{
    {
        std::unique_lock<std::mutex> locker(link->mutex);
        if (!link->open) {
            // Nothing on the wire; no need to wake (or restart) the I/O thread.
            link->queue.clearAll();
            return;
        }
    }
    bool wasOpen = false;
    runInIo([&] { wasOpen = closeTransport(link); });
    if (wasOpen) {
        qCDebug(lcLink) << "closed link, guid:" << link->guid << reason;
        postStatus(link, message::linkClosed(link->guid, link->type, reason));
    }
}

bool LinkManagerPrivate::closeTransport(const LinkPtr &link, Deletion deletion)
{
    {
        std::unique_lock<std::mutex> locker(link->mutex);
        link->open = false;
        // Frames of a closed link are dropped, not reported as timed out: the
        // caller closed it on purpose.
        link->queue.clearAll();
        link->directWriter.reset();
        link->armedDeadline = -1;
    }
    if (!link->transport)
        return false;
    LinkTransport *transport = link->transport;
    link->transport = nullptr;
    link->timer = nullptr; // a child of the transport
    transport->close();
    if (deletion == Deletion::Now)
        delete transport;
    else
        transport->deleteLater(); // may be inside one of its own callbacks
    return true;
}

// ---------------------------------------------------------------------------
// I/O thread

LinkTransport::Handlers LinkManagerPrivate::handlersFor(const LinkPtr &link)
{
    LinkTransport::Handlers handlers;
    handlers.datagram = [this, link](const QByteArray &datagram, const QString &address,
                                     quint16 port) { receive(link, datagram, address, port); };
    handlers.garbled = [link](int count) {
        std::unique_lock<std::mutex> locker(link->mutex);
        link->counters.dropped += count;
        qCDebug(lcLink) << "dropped" << count << "garbled stream records, guid:" << link->guid;
    };
    handlers.failed = [this, link](const QString &error) {
        qCDebug(lcLink) << "link failed, guid:" << link->guid << error;
        closeTransport(link);
        postStatus(link, message::linkError(link->guid, link->type, error));
        postStatus(link, message::linkClosed(link->guid, link->type, error));
    };
    return handlers;
}

void LinkManagerPrivate::pump(const LinkPtr &link)
{
    link->pumpPending = false;
    if (!link->transport)
        return;
    for (;;) {
        RequestQueue::Dispatch dispatch;
        bool debug = false;
        std::shared_ptr<ledwall::link::DatagramWriter> writer;
        std::unique_lock<std::mutex> writing;
        {
            std::unique_lock<std::mutex> locker(link->mutex);
            if (!link->queue.takeNext(monotonicNs(), &dispatch))
                break;
            debug = link->debug;
            // Taken before the link's lock goes: frames leave in the order of their
            // sequence numbers even while a caller sends the next one directly.
            writer = link->directWriter;
            if (writer)
                writing = writer->lock();
        }
        // An outstanding frame is only deleted in this thread, so it stays valid
        // while it is encoded outside the lock.
        const QByteArray datagram = dispatch.frame->encode(dispatch.sequence);
        const bool written =
            writer ? writer->writeLocked(datagram) : link->transport->write(datagram);
        if (writing.owns_lock())
            writing.unlock();
        if (debug)
            qCDebug(lcLink).noquote() << "tx" << link->guid << datagram.toHex(' ');
        std::unique_lock<std::mutex> locker(link->mutex);
        if (written) {
            ++link->counters.sent;
        } else {
            // A request that could not be written gets no reply and times out.
            ++link->counters.sendErrors;
            qCDebug(lcLink) << "send failed, guid:" << link->guid << "sequence"
                            << dispatch.sequence;
        }
    }
    armTimer(link);
}

void LinkManagerPrivate::armTimer(const LinkPtr &link)
{
    if (!link->timer)
        return;
    std::unique_lock<std::mutex> locker(link->mutex);
    const qint64 deadline = link->queue.nextDeadline();
    if (deadline < 0) {
        // Nothing outstanding. A running timer is left to fire once and find
        // nothing: the next frame sent directly then needs no wake-up to arm it.
        if (!link->timer->isActive())
            link->armedDeadline = -1;
        return;
    }
    if (link->timer->isActive() && link->armedDeadline <= deadline)
        return; // fires earlier and re-arms then
    const qint64 remainingNs = deadline - monotonicNs();
    const int delayMs = remainingNs <= 0 ? 0 : int((remainingNs + 999999) / 1000000);
    link->armedDeadline = deadline;
    link->timer->start(delayMs);
}

void LinkManagerPrivate::expire(const LinkPtr &link)
{
    std::vector<RequestQueue::FramePtr> expired;
    bool report = true;
    {
        std::unique_lock<std::mutex> locker(link->mutex);
        link->armedDeadline = -1;
        expired = link->queue.takeExpired(monotonicNs());
        link->counters.timeouts += qint64(expired.size());
        report = link->timeoutFlag;
    }
    for (auto &frame : expired) {
        qCDebug(lcLink) << "time-out, guid:" << link->guid << "sequence" << frame->m_sequence;
        if (!report)
            continue;
        Event event;
        event.kind = Event::TimedOut;
        event.link = link;
        event.frame = std::move(frame);
        post(std::move(event));
    }
    pump(link); // frees window slots and re-arms the timer
}

void LinkManagerPrivate::receive(const LinkPtr &link, const QByteArray &datagram,
                                 const QString &address, quint16 port)
{
    bool debug;
    {
        std::unique_lock<std::mutex> locker(link->mutex);
        debug = link->debug;
    }
    if (debug)
        qCDebug(lcLink).noquote() << "rx" << link->guid << address << port << datagram.toHex(' ');

    // A direct network link hears only its device; a search link hears everyone.
    if (!link->peerAddress.isEmpty() && (address != link->peerAddress || port != link->peerPort)) {
        std::unique_lock<std::mutex> locker(link->mutex);
        if (!link->isSearch()) {
            ++link->counters.foreign;
            qCDebug(lcLink) << "dropped datagram from" << address << port << "not the device at"
                            << link->peerAddress << link->peerPort << ", guid:" << link->guid;
            return;
        }
    }

    ledwall::wire::Decoded decoded = ledwall::wire::decodeFrame(datagram);
    if (!decoded.frame) {
        std::unique_lock<std::mutex> locker(link->mutex);
        ++link->counters.dropped;
        qCDebug(lcLink) << "dropped datagram, guid:" << link->guid << "from" << address << port
                        << "size" << datagram.size() << ledwall::wire::errorText(decoded.error);
        return;
    }
    std::unique_ptr<Module_ProtocolBase> frame = std::move(decoded.frame);
    frame->m_guid = link->guid;

    if (ledwall::wire::isDiscoveryAnswer(*frame)) {
        const auto &answer = static_cast<const Module_SendCard_Protocol &>(*frame);
        QVariantMap found = message::deviceFound(link->guid, answer.cmdData, address, port);
        std::unique_lock<std::mutex> locker(link->mutex);
        if (found.isEmpty()) {
            ++link->counters.dropped;
            qCDebug(lcLink) << "dropped discovery answer without a JSON object, guid:"
                            << link->guid;
            return;
        }
        ++link->counters.received;
        locker.unlock();
        postStatus(link, std::move(found));
        return;
    }
    if (!(frame->m_wireFlags & Module_ProtocolBase::IsReply)) {
        std::unique_lock<std::mutex> locker(link->mutex);
        ++link->counters.dropped;
        qCDebug(lcLink) << "dropped frame not sent by a device, guid:" << link->guid << "from"
                        << address << port;
        return;
    }

    RequestQueue::FramePtr request;
    RequestQueue::Match match;
    {
        std::unique_lock<std::mutex> locker(link->mutex);
        match = link->queue.matchReply(frame->m_sequence, &request);
        if (match == RequestQueue::Match::Late) {
            ++link->counters.late;
            qCDebug(lcLink) << "dropped late or duplicate reply, guid:" << link->guid << "sequence"
                            << frame->m_sequence;
            return;
        }
        ++link->counters.received;
    }
    if (request)
        frame->m_flag = request->m_flag;
    Event event;
    event.kind = Event::Received;
    event.link = link;
    event.frame = std::move(frame);
    event.unsolicited = match == RequestQueue::Match::Unsolicited;
    post(std::move(event));
    if (match == RequestQueue::Match::Reply)
        pump(link);
}

void LinkManagerPrivate::sendDiscovery(const LinkPtr &link)
{
    quint16 sequence;
    {
        std::unique_lock<std::mutex> locker(link->mutex);
        sequence = link->queue.reserveSequence();
    }
    const QByteArray datagram = ledwall::wire::discoveryRequest()->encode(sequence);
    const bool written = link->transport->write(datagram);
    std::unique_lock<std::mutex> locker(link->mutex);
    if (written)
        ++link->counters.sent;
    else
        ++link->counters.sendErrors;
}

// ---------------------------------------------------------------------------
// Link manager's thread

void LinkManagerPrivate::post(Event event)
{
    const LinkPtr link = event.link;
    int overflow = 0;
    {
        std::unique_lock<std::mutex> locker(outboxMutex);
        const bool unsolicited = event.unsolicited;
        outbox.push_back(std::move(event));
        // Under a flood of device news the oldest news goes first; replies,
        // time-outs and status maps are never dropped.
        if (unsolicited && ++link->pendingUnsolicited > link->backlogLimit) {
            while (link->pendingUnsolicited > link->backlogLimit) {
                const auto oldest = std::find_if(outbox.begin(), outbox.end(), [&](const Event &e) {
                    return e.unsolicited && e.link == link;
                });
                outbox.erase(oldest);
                --link->pendingUnsolicited;
                ++overflow;
            }
        }
    }
    if (overflow > 0) {
        std::unique_lock<std::mutex> locker(link->mutex);
        // Logged once and then every 1024 frames: the log must not become the flood.
        if (link->counters.overflow % 1024 == 0)
            qCDebug(lcLink) << "receive backlog full, dropping the oldest unsolicited frames, guid:"
                            << link->guid << "dropped so far" << link->counters.overflow + overflow;
        link->counters.overflow += overflow;
    }
    if (!drainPending.exchange(true))
        QMetaObject::invokeMethod(
            q, [this] { drain(); }, Qt::QueuedConnection);
}

void LinkManagerPrivate::postStatus(const LinkPtr &link, QVariantMap status)
{
    Event event;
    event.kind = Event::Status;
    event.link = link;
    event.status = std::move(status);
    post(std::move(event));
}

void LinkManagerPrivate::drain()
{
    drainPending = false;
    std::deque<Event> batch;
    {
        std::unique_lock<std::mutex> locker(outboxMutex);
        batch.swap(outbox);
        for (const Event &event : batch) {
            if (event.unsolicited)
                --event.link->pendingUnsolicited;
        }
    }
    for (Event &event : batch) {
        switch (event.kind) {
        case Event::Received:
            if (!event.link->released)
                emit q->sig_reciveCmd(event.link->guid, event.frame.get());
            break;
        case Event::TimedOut:
            if (!event.link->released)
                emit q->sig_timeoutCmd(event.link->guid, event.frame.get());
            break;
        case Event::Status:
            emit q->sig_TalkToUI(event.status);
            break;
        }
        event.frame.reset(); // receivers copy what they keep
    }
}

// ---------------------------------------------------------------------------
// Public interface

BLL_CommunicationMain_Desktop *BLL_CommunicationMain_Desktop::getInstance()
{
    // Never deleted: the I/O thread is joined by shutdownLinkManager while Qt is
    // still alive, and the object itself may be reached from static destructors.
    static BLL_CommunicationMain_Desktop *instance = new BLL_CommunicationMain_Desktop;
    return instance;
}

BLL_CommunicationMain_Desktop::BLL_CommunicationMain_Desktop()
    : d(std::make_unique<LinkManagerPrivate>(this))
{
    g_manager = d.get();
    std::unique_lock<std::mutex> locker(d->ioMutex);
    d->startDelivery();
}

BLL_CommunicationMain_Desktop::~BLL_CommunicationMain_Desktop()
{
    g_manager = nullptr;
    d->shutdown();
}

QString BLL_CommunicationMain_Desktop::createCommunicateObject(CommunicationType type,
                                                               ProtocolType protocol)
{
    if (type != NetworkLink && type != SerialLink && type != UsbLink) {
        qCDebug(lcLink) << "createCommunicateObject: unsupported link type" << int(type);
        return QString();
    }
    if (protocol != DefaultProtocol)
        qCDebug(lcLink) << "createCommunicateObject: protocol" << int(protocol)
                        << "treated as the default";
    const QString guid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto link = std::make_shared<Link>(guid, type);
    // Byte streams carry one request at a time; networks keep a window open.
    link->queue.setQueueType(type == NetworkLink ? 0 : 1);
    std::unique_lock<std::mutex> locker(d->linksMutex);
    d->links.insert(guid, link);
    return guid;
}

void BLL_CommunicationMain_Desktop::setQueueType(QString guid, int queueType)
{
    d->changeQueue(guid, "setQueueType",
                   [queueType](RequestQueue &queue) { queue.setQueueType(queueType); });
}

bool BLL_CommunicationMain_Desktop::connectServer(QString guid, QString address,
                                                  unsigned short port)
{
    const QHostAddress host(address);
    const bool broadcast = !host.isNull() && isBroadcastAddress(host);
    bool search = false;
    if (!d->withLink(guid, "connectServer", [&](Link &link) {
            link.broadcastAddress = broadcast;
            search = link.isSearch();
        }))
        return false;
    LinkPtr link = d->find(guid);
    return d->openLink(
        guid, NetworkLink,
        [&](LinkTransport::Handlers handlers, QString *error) -> LinkTransport * {
            if (host.isNull() || host.protocol() != QAbstractSocket::IPv4Protocol || port == 0) {
                *error = QStringLiteral("invalid address \"%1\" port %2").arg(address).arg(port);
                return nullptr;
            }
            auto *transport = new ledwall::link::UdpTransport(std::move(handlers));
            if (!transport->open(host, port, search)) {
                *error = transport->errorString();
                delete transport;
                return nullptr;
            }
            if (link) {
                link->peerAddress = host.toString();
                link->peerPort = port;
                std::unique_lock<std::mutex> locker(link->mutex);
                link->directWriter = search ? nullptr : transport->writer();
            }
            return transport;
        });
}

bool BLL_CommunicationMain_Desktop::openSerialport(QString guid, QString portName, int baudRate)
{
    return d->openLink(
        guid, SerialLink, [&](LinkTransport::Handlers handlers, QString *error) -> LinkTransport * {
            auto *transport = new ledwall::link::SerialTransport(std::move(handlers));
            if (!transport->open(portName, baudRate)) {
                *error = QStringLiteral("cannot open serial port \"%1\": %2")
                             .arg(portName, transport->errorString());
                delete transport;
                return nullptr;
            }
            return transport;
        });
}

bool BLL_CommunicationMain_Desktop::openUsb(QString guid, unsigned short vendorId,
                                            unsigned short productId, QString serialNumber)
{
    return d->openLink(guid, UsbLink,
                       [&](LinkTransport::Handlers handlers, QString *error) -> LinkTransport * {
                           auto *transport = new ledwall::link::UsbTransport(std::move(handlers));
                           if (!transport->open(vendorId, productId, serialNumber)) {
                               *error = transport->errorString();
                               delete transport;
                               return nullptr;
                           }
                           return transport;
                       });
}

void BLL_CommunicationMain_Desktop::setTimeoutFlag(QString guid, bool enabled)
{
    d->withLink(guid, "setTimeoutFlag", [enabled](Link &link) { link.timeoutFlag = enabled; });
}

bool BLL_CommunicationMain_Desktop::pushCmdToClient(QString guid, Module_ProtocolBase *cmd,
                                                    bool flag)
{
    if (!cmd) {
        qCDebug(lcLink) << "pushCmdToClient: no frame, guid:" << guid;
        return false;
    }
    LinkPtr link = d->findOrLog(guid, "pushCmdToClient");
    if (!link)
        return false;
    std::unique_ptr<Module_ProtocolBase> copy(cmd->clone());
    copy->m_guid = guid;
    copy->m_flag = flag;
    {
        std::unique_lock<std::mutex> locker(link->mutex);
        if (!link->open) {
            qCDebug(lcLink) << "pushCmdToClient: link not open, guid:" << guid;
            return false;
        }
        const bool collect = link->isSearch() || addressesSeveralCards(*copy);
        link->queue.push(std::move(copy), collect);
        if (!collect && !link->pumpPending && d->sendDirect(link, locker))
            return true;
    }
    d->schedulePump(link);
    return true;
}

void BLL_CommunicationMain_Desktop::setSearchLink(QString guid, bool search)
{
    d->withLink(guid, "setSearchLink", [search](Link &link) { link.searchMarked = search; });
}

void BLL_CommunicationMain_Desktop::setReceiveBacklog(QString guid, int frames)
{
    LinkPtr link = d->findOrLog(guid, "setReceiveBacklog");
    if (!link)
        return;
    std::unique_lock<std::mutex> locker(d->outboxMutex);
    link->backlogLimit = std::max(1, frames);
}

void BLL_CommunicationMain_Desktop::clearCmdQueue(QString guid)
{
    d->withLink(guid, "clearCmdQueue",
                [](Link &link) { link.counters.cleared += link.queue.clearQueued(); });
}

int BLL_CommunicationMain_Desktop::getCmdQueueCount(QString guid)
{
    LinkPtr link = d->find(guid);
    if (!link)
        return 0;
    std::unique_lock<std::mutex> locker(link->mutex);
    return link->queue.queuedCount() + link->queue.outstandingCount();
}

void BLL_CommunicationMain_Desktop::setFastMode(QString guid, bool fast)
{
    d->changeQueue(guid, "setFastMode", [fast](RequestQueue &queue) { queue.setFastMode(fast); });
}

void BLL_CommunicationMain_Desktop::stopConnect(QString guid)
{
    if (LinkPtr link = d->findOrLog(guid, "stopConnect"))
        d->closeLink(link, QStringLiteral("stopped"));
}

void BLL_CommunicationMain_Desktop::releaseCommunicateObject(QString guid)
{
    LinkPtr link;
    {
        std::unique_lock<std::mutex> locker(d->linksMutex);
        link = d->links.take(guid);
    }
    if (!link) {
        qCDebug(lcLink) << "releaseCommunicateObject: unknown link, guid:" << guid;
        return;
    }
    link->released = true; // frames already on their way to the signals are dropped
    d->closeLink(link, QStringLiteral("released"));
    std::unique_lock<std::mutex> locker(d->groupsMutex);
    d->groups.remove(guid);
}

QStringList BLL_CommunicationMain_Desktop::getUSBSerialNumber(unsigned short vendorId,
                                                              unsigned short productId)
{
    return ledwall::link::UsbTransport::serialNumbers(vendorId, productId);
}

QStringList BLL_CommunicationMain_Desktop::getComPort()
{
    return ledwall::link::SerialTransport::portNames();
}

void BLL_CommunicationMain_Desktop::saveGroupInfo(QVariantList groups, QString guid)
{
    std::unique_lock<std::mutex> locker(d->groupsMutex);
    if (groups.isEmpty())
        d->groups.remove(guid);
    else
        d->groups.insert(guid, groups);
}

namespace
{

// The guids of one group: a list of guid strings, or a map with a "guids" list.
QStringList membersOf(const QVariant &group)
{
    QVariant list = group;
    if (group.userType() == QMetaType::QVariantMap)
        list = group.toMap().value(QStringLiteral("guids"));
    QStringList members;
    const QVariantList entries = list.toList();
    for (const QVariant &entry : entries) {
        const QString guid = entry.toString();
        if (!guid.isEmpty())
            members.append(guid);
    }
    return members;
}

} // namespace

QStringList BLL_CommunicationMain_Desktop::findSameGroupDev(QString guid)
{
    QStringList same;
    std::unique_lock<std::mutex> locker(d->groupsMutex);
    for (auto it = d->groups.cbegin(); it != d->groups.cend(); ++it) {
        for (const QVariant &group : it.value()) {
            const QStringList members = membersOf(group);
            if (!members.contains(guid))
                continue;
            for (const QString &member : members) {
                if (member != guid && !same.contains(member))
                    same.append(member);
            }
        }
    }
    return same;
}

void BLL_CommunicationMain_Desktop::setDebugMessage(bool enabled, QString guid)
{
    d->withLink(guid, "setDebugMessage", [enabled](Link &link) { link.debug = enabled; });
}

QVariantMap BLL_CommunicationMain_Desktop::linkStatistics(QString guid)
{
    LinkPtr link = d->find(guid);
    if (!link)
        return QVariantMap();
    std::unique_lock<std::mutex> locker(link->mutex);
    const LinkCounters &c = link->counters;
    return QVariantMap{{QStringLiteral("open"), link->open},
                       {QStringLiteral("linkType"), int(link->type)},
                       {QStringLiteral("sent"), c.sent},
                       {QStringLiteral("received"), c.received},
                       {QStringLiteral("timeouts"), c.timeouts},
                       {QStringLiteral("dropped"), c.dropped},
                       {QStringLiteral("foreign"), c.foreign},
                       {QStringLiteral("overflow"), c.overflow},
                       {QStringLiteral("late"), c.late},
                       {QStringLiteral("cleared"), c.cleared},
                       {QStringLiteral("sendErrors"), c.sendErrors},
                       {QStringLiteral("queued"), link->queue.queuedCount()},
                       {QStringLiteral("outstanding"), link->queue.outstandingCount()}};
}
