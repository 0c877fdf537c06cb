#include "ConnectionThreads.h"

namespace zelto::emulator {

void ConnectionThreads::enqueue(std::function<void()> connection) {
    ++connections_;
    JoinFinished();
    std::lock_guard lock(mutex_);
    if (running_ >= maxThreads_) {
        waiting_.push_back(std::move(connection));
        return;
    }
    Worker& worker = workers_.emplace_back();
    ++running_;
    worker.thread = std::thread(
        [this, &worker, connection = std::move(connection)]() mutable { Serve(worker, std::move(connection)); });
}

void ConnectionThreads::Serve(Worker& worker, std::function<void()> connection) {
    for (;;) {
        connection();
        std::lock_guard lock(mutex_);
        if (waiting_.empty()) {
            --running_;
            worker.done = true;
            return;
        }
        connection = std::move(waiting_.front());
        waiting_.pop_front();
    }
}

void ConnectionThreads::JoinFinished() {
    std::list<Worker> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            const auto next = std::next(it);
            if (it->done)
                finished.splice(finished.end(), workers_, it);
            it = next;
        }
    }
    for (Worker& worker : finished)
        worker.thread.join();
}

void ConnectionThreads::shutdown() {
    // Called once the listener has stopped: no connection comes in any more, so the list only shrinks.
    std::list<Worker> all;
    {
        std::lock_guard lock(mutex_);
        all.swap(workers_);
    }
    for (Worker& worker : all)
        worker.thread.join();
}

} // namespace zelto::emulator
