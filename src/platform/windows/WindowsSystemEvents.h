#pragma once

#include "platform/EventRelay.h"
#include "platform/SystemEvents.h"

namespace zelto {

// The system's unicast address changes (IP Helper calls back on a thread of its own) while someone listens.
// A resume reaches the program by a window message or a service control, which the front-end announces here.
class WindowsSystemEvents : public SystemEvents {
public:
    WindowsSystemEvents() = default;
    ~WindowsSystemEvents() override;

    void Listen(Listener listener) override;
    void Unlisten() override;
    void Announce(SystemEvent event) override { relay_.Deliver(event); }

    // IP Helper's callback, and what a test calls in its place where the system sends nothing (Wine).
    void OnAddressChange() { relay_.Deliver(SystemEvent::AddressesChanged); }

private:
    EventRelay relay_;
    void* notification_ = nullptr;
};

} // namespace zelto
