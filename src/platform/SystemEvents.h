#pragma once

#include <functional>

namespace zelto {

// What the system announces that makes the update cycle's pause pointless.
enum class SystemEvent {
    AddressesChanged, // an address or a link of the machine came or went
    Resumed,          // the machine woke from a suspend
};

// The system's announcements, for one listener at a time. An adapter listens to the system only while someone
// listens to it; the events it cannot hear itself (a resume a window or a service manager is told of) are
// handed to it by the front-end through Announce.
class SystemEvents {
public:
    using Listener = std::function<void(SystemEvent)>;

    SystemEvents() = default;
    virtual ~SystemEvents() = default;
    SystemEvents(const SystemEvents&) = delete;
    SystemEvents& operator=(const SystemEvents&) = delete;

    // Calls `listener` from a thread of the adapter's (or the announcer's) for every event until Unlisten.
    virtual void Listen(Listener listener) = 0;
    // Returns once the listener is no longer called.
    virtual void Unlisten() = 0;
    // An event the front-end learnt of its own way.
    virtual void Announce(SystemEvent event) = 0;
};

} // namespace zelto
