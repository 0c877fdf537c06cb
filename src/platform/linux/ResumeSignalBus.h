#pragma once

#include <string>
#include <string_view>

namespace zelto {

// A connection to the system bus that hears logind announce the end of a suspend (PrepareForSleep with
// false). No desktop session is needed: the system service and --headless listen as well. Where there is no
// system bus (a container, a minimal server) it stays closed, and the client goes on without it.
class ResumeSignalBus {
public:
    // Connects to DBUS_SYSTEM_BUS_ADDRESS, else to the system bus's usual socket, and asks for the signal.
    ResumeSignalBus();
    ~ResumeSignalBus();
    ResumeSignalBus(const ResumeSignalBus&) = delete;
    ResumeSignalBus& operator=(const ResumeSignalBus&) = delete;

    // -1 when not connected.
    int Descriptor() const { return fd_; }
    // Reads what is waiting; true when a resume was announced. A bus that hung up or spoke nonsense is closed.
    bool TakeResume();

private:
    void Close();

    int fd_ = -1;
    std::string received_;
};

// The socket path of the first unix transport in a D-Bus address ("unix:path=/run/dbus/system_bus_socket");
// an abstract socket's name begins with a NUL byte. Empty when the address names none.
std::string UnixBusSocket(std::string_view address);

} // namespace zelto
