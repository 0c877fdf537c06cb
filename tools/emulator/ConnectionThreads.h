#pragma once

#include <httplib.h>

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace zelto::emulator {

// Serves each accepted connection on a thread of its own, started for it and ended after it, up to a cap
// beyond which connections wait for a thread to finish. Unlike a fixed pool this keeps the emulator's memory
// flat however many connections a fault test opens one after another. Counts the connections.
class ConnectionThreads : public httplib::TaskQueue {
public:
    ConnectionThreads(std::atomic<int>& connections, std::size_t maxThreads)
        : connections_(connections), maxThreads_(maxThreads) {}
    ~ConnectionThreads() override { shutdown(); }

    void enqueue(std::function<void()> connection) override;
    // Waits for every connection being served or waiting.
    void shutdown() override;

private:
    struct Worker {
        std::thread thread;
        bool done = false;
    };
    void Serve(Worker& worker, std::function<void()> connection);
    void JoinFinished();

    std::atomic<int>& connections_;
    const std::size_t maxThreads_;
    std::mutex mutex_;
    std::list<Worker> workers_;
    std::size_t running_ = 0;
    std::deque<std::function<void()>> waiting_;
};

} // namespace zelto::emulator
