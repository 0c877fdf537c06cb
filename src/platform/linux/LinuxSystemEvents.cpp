#include "platform/linux/LinuxSystemEvents.h"

#include "platform/linux/AddressChangeSocket.h"
#include "platform/linux/ResumeSignalBus.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace zelto {

LinuxSystemEvents::~LinuxSystemEvents() {
    Unlisten();
}

void LinuxSystemEvents::Listen(Listener listener) {
    Unlisten();
    relay_.Set(std::move(listener));
    wake_ = ::eventfd(0, EFD_CLOEXEC);
    // Without the eventfd the watch could not be ended: the poll then finds the changes alone.
    if (wake_ >= 0)
        watcher_ = std::thread([this] { Watch(); });
}

void LinuxSystemEvents::Unlisten() {
    if (watcher_.joinable()) {
        const std::uint64_t one = 1;
        while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
        }
        watcher_.join();
    }
    if (wake_ >= 0)
        ::close(wake_);
    wake_ = -1;
    relay_.Clear();
}

// Sleeps in poll until the system says something: the watch costs no wake-up while nothing happens.
void LinuxSystemEvents::Watch() {
    AddressChangeSocket addresses;
    ResumeSignalBus bus;
    for (;;) {
        pollfd watched[] = {{wake_, POLLIN, 0}, {addresses.Descriptor(), POLLIN, 0}, {bus.Descriptor(), POLLIN, 0}};
        if (::poll(watched, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[0].revents != 0)
            return;
        if (watched[1].revents != 0 && addresses.TakeChanges())
            relay_.Deliver(SystemEvent::AddressesChanged);
        if (watched[2].revents != 0 && bus.TakeResume())
            relay_.Deliver(SystemEvent::Resumed);
    }
}

} // namespace zelto
