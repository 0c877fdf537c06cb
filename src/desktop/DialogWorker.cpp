#include "desktop/DialogWorker.h"

#include <utility>

namespace zelto {

DialogWorker::DialogWorker(PostToGui post) : post_(std::move(post)), self_(std::make_shared<DialogWorker*>(this)) {}

DialogWorker::~DialogWorker() {
    Stop();
}

bool DialogWorker::Start(std::function<void(const StopSignal& stop)> request, std::function<void()> done) {
    if (current_)
        return false;
    auto run = std::make_shared<Run>();
    run->done = std::move(done);
    current_ = run;
    thread_ = std::thread([request = std::move(request), run, post = post_, self = std::weak_ptr(self_)] {
        request(run->stop);
        post([run, self] {
            if (const std::shared_ptr<DialogWorker*> worker = self.lock())
                (*worker)->Finish(run);
        });
    });
    return true;
}

void DialogWorker::Finish(const std::shared_ptr<Run>& run) {
    if (run != current_)
        return;     // stopped before its end came through
    thread_.join(); // it has posted this, its last step
    current_.reset();
    const std::function<void()> done = std::move(run->done);
    done();
}

void DialogWorker::Stop() {
    if (!current_)
        return;
    current_->stop.Raise();
    thread_.join();
    current_->done = nullptr;
    current_.reset();
}

} // namespace zelto
