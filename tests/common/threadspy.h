#pragma once
// A QSignalSpy for signals that may be emitted on another thread. QSignalSpy
// records in the emitting thread while the test reads it in its own, which is a
// data race. ThreadSpy's receiver lives in the thread that made it: a signal from
// another thread is queued and recorded there (its argument types must be known
// to the meta-type system), one from the same thread is recorded at once.

#include <QList>
#include <QObject>
#include <QTest>
#include <QVariant>

#include <type_traits>

class ThreadSpy : public QObject, public QList<QList<QVariant>>
{
public:
    template <typename Sender, typename SignalOwner, typename... Args>
    ThreadSpy(const Sender *sender, void (SignalOwner::*signal)(Args...))
    {
        connect(sender, signal, this, [this](const std::decay_t<Args> &...args) {
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
