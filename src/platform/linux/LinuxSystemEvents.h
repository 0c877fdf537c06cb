#pragma once

#include "platform/EventRelay.h"
#include "platform/SystemEvents.h"

#include <thread>

namespace zelto {

// The kernel's address and link changes (netlink) and logind's resume (the system bus), heard on a thread of
// their own while someone listens.
class LinuxSystemEvents : public SystemEvents {
public:
    LinuxSystemEvents() = default;
    ~LinuxSystemEvents() override;

    void Listen(Listener listener) override;
    void Unlisten() override;
    void Announce(SystemEvent event) override { relay_.Deliver(event); }

private:
    void Watch();

    EventRelay relay_;
    int wake_ = -1; // an eventfd that ends the watch
    std::thread watcher_;
};

} // namespace zelto
