#pragma once
// Worker threads of one object. Each long operation runs on a thread of its own
// and returns at once to its caller; the owner joins every thread before its
// members go away, so no worker ever touches a destroyed object.

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

class WorkerThreads
{
public:
    WorkerThreads() = default;
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads &) = delete;
    WorkerThreads &operator=(const WorkerThreads &) = delete;

    // Runs body on a new thread. False (and a log line) when the thread cannot be
    // started or the owner is already shutting down. Threads that have finished
    // are joined and forgotten here, so the list stays short.
    bool start(std::function<void()> body);

    // Joins every thread, also those started by a worker while joining. Called
    // from the owner's destructor; a worker calling it never waits for itself.
    void joinAll();

    // Number of threads that are still running.
    int runningCount() const;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<bool> finished; // written under m_mutex
    };

    void reapFinished();

    mutable std::mutex m_mutex;
    std::list<Worker> m_workers;
    bool m_closing = false;
};
