#pragma once

#include "platform/StopSignal.h"

#include <functional>
#include <memory>
#include <thread>

namespace zelto {

// Runs a request that a window waits for on a thread of its own, so that the window keeps repainting and
// taking input meanwhile; one at a time. Everything but the request itself happens on the GUI thread.
class DialogWorker {
public:
    // Hands a task to the GUI thread, from any thread; the skin's event loop runs it soon after.
    using PostToGui = std::function<void(std::function<void()> task)>;

    explicit DialogWorker(PostToGui post);
    // Stops a request still running.
    ~DialogWorker();
    DialogWorker(const DialogWorker&) = delete;
    DialogWorker& operator=(const DialogWorker&) = delete;

    bool Busy() const { return current_ != nullptr; }
    // Starts `request` on the worker thread; once it has returned, `done` runs on the GUI thread. False, and
    // nothing started, while another request runs.
    bool Start(std::function<void(const StopSignal& stop)> request, std::function<void()> done);
    // Raises the running request's stop (its exchanges end as no answer) and waits for its thread; its
    // `done` never runs. For the way out of the program.
    void Stop();

private:
    struct Run {
        StopSignal stop;
        std::function<void()> done;
    };
    void Finish(const std::shared_ptr<Run>& run);

    PostToGui post_;
    std::shared_ptr<Run> current_;
    std::thread thread_;
    // A finish posted to the GUI thread finds this worker through it, or nothing once the worker is gone.
    std::shared_ptr<DialogWorker*> self_;
};

} // namespace zelto
