#pragma once
// A QSignalSpy for signals that may be emitted on another thread. QSignalSpy
// records in the emitting thread while the test reads it in its own, which is a
// data race. ThreadSpy's receiver lives in the thread that made it: a signal from
// another thread is queued and recorded there (its argument types must be known
// to the meta-type system), one from the same thread is recorded at once.
//
// Under ThreadSanitizer the spy also tells the sanitizer about the hand-off the
// queued signal makes: what the emitting thread wrote before the signal is seen
// by the test after it. Qt's event queue makes that so, but Debian's Qt is not
// instrumented, so the sanitizer cannot see its lock by itself.

#include <QList>
#include <QObject>
#include <QTest>
#include <QVariant>

#include <type_traits>

#if defined(__SANITIZE_THREAD__)
#define LEDWALL_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LEDWALL_THREAD_SANITIZER 1
#endif
#endif

#ifdef LEDWALL_THREAD_SANITIZER
extern "C" void __tsan_acquire(void *address);
extern "C" void __tsan_release(void *address);
#endif

class ThreadSpy : public QObject, public QList<QList<QVariant>>
{
public:
    template <typename Sender, typename SignalOwner, typename... Args>
    ThreadSpy(const Sender *sender, void (SignalOwner::*signal)(Args...))
    {
#ifdef LEDWALL_THREAD_SANITIZER
        // Connected first, so it runs in the emitting thread before the signal is
        // queued.
        connect(
            sender, signal, this, [this](const std::decay_t<Args> &...) { __tsan_release(this); },
            Qt::DirectConnection);
#endif
        connect(sender, signal, this, [this](const std::decay_t<Args> &...args) {
#ifdef LEDWALL_THREAD_SANITIZER
            __tsan_acquire(this);
#endif
            append(QList<QVariant>{QVariant::fromValue(args)...});
        });
    }

    // True once a new emission is recorded within `timeout` ms.
    bool wait(int timeout = 5000)
    {
        const qsizetype before = size();
        return QTest::qWaitFor([&] { return size() > before; }, timeout);
    }
};
