#include "update/UpdateCycleThread.h"

#include "update/UpdateCycle.h"

namespace zelto {

void UpdateCycleThread::Start() {
    if (worker_.joinable())
        return;
    worker_ = std::thread([this] { cycle_.RunUpdateCycle(); });
}

void UpdateCycleThread::Stop() {
    cycle_.RequestStop();
    if (worker_.joinable())
        worker_.join();
}

} // namespace zelto
