#pragma once

#include "platform/SystemEvents.h"

#include <mutex>
#include <utility>

namespace zelto {

// The one listener of a SystemEvents adapter, safe to call from the system's threads: Clear returns only when
// no call is running, so the listener's owner may go away after it.
class EventRelay {
public:
    void Set(SystemEvents::Listener listener) {
        const std::lock_guard lock(mutex_);
        listener_ = std::move(listener);
    }
    void Clear() { Set({}); }
    void Deliver(SystemEvent event) {
        const std::lock_guard lock(mutex_);
        if (listener_)
            listener_(event);
    }

private:
    std::mutex mutex_;
    SystemEvents::Listener listener_;
};

} // namespace zelto
