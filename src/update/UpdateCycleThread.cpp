#include "update/UpdateCycleThread.h"

#include "update/UpdateCycle.h"

#include <stop_token>

namespace zelto {

void UpdateCycleThread::Start() {
    if (worker_.joinable())
        return;
    worker_ = std::jthread([this](std::stop_token stop) {
        const std::stop_callback wake(stop, [this] { cycle_.RequestStop(); });
        cycle_.RunUpdateCycle();
    });
}

void UpdateCycleThread::Stop() {
    cycle_.RequestStop();
    worker_ = std::jthread();
}

} // namespace zelto
