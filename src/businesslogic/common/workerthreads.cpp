#include "workerthreads.h"

#include <QLoggingCategory>

#include <system_error>

namespace
{
Q_LOGGING_CATEGORY(lcWorkers, "ledwall.workers")
}

WorkerThreads::~WorkerThreads()
{
    joinAll();
}

bool WorkerThreads::start(std::function<void()> body)
{
    if (!body)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closing) {
        qCDebug(lcWorkers) << "worker not started: owner is shutting down";
        return false;
    }
    reapFinished();
    auto finished = std::make_shared<bool>(false);
    try {
        std::thread thread([this, body = std::move(body), finished] {
            body();
            std::lock_guard<std::mutex> done(m_mutex);
            *finished = true;
        });
        m_workers.push_back({std::move(thread), finished});
    } catch (const std::system_error &error) {
        qCDebug(lcWorkers) << "worker thread could not be started:" << error.what();
        return false;
    }
    return true;
}

void WorkerThreads::joinAll()
{
    const std::thread::id self = std::this_thread::get_id();
    for (;;) {
        std::list<Worker> batch;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closing = true;
            batch.swap(m_workers);
        }
        if (batch.empty())
            return;
        for (Worker &worker : batch) {
            if (worker.thread.get_id() == self) {
                // A worker tearing down its owner cannot wait for itself.
                worker.thread.detach();
                continue;
            }
            if (worker.thread.joinable())
                worker.thread.join();
        }
    }
}

int WorkerThreads::runningCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int running = 0;
    for (const Worker &worker : m_workers)
        running += *worker.finished ? 0 : 1;
    return running;
}

void WorkerThreads::reapFinished()
{
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (*it->finished) {
            it->thread.join(); // has finished its body; returns at once
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}
