#include "desktop/HandOverRetry.h"

#include <thread>

namespace zelto {

bool ReachRunningClient(const std::function<bool()>& reach,
                        const std::function<void(std::chrono::milliseconds)>& wait) {
    for (int attempt = 0; attempt < kHandOverPatience / kHandOverInterval; ++attempt) {
        if (reach())
            return true;
        wait(kHandOverInterval);
    }
    return false;
}

bool ReachRunningClient(const std::function<bool()>& reach) {
    return ReachRunningClient(reach, [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); });
}

} // namespace zelto
