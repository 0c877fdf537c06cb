#pragma once

namespace zelto {

// A netlink route socket that hears the kernel announce IPv4 addresses coming and going and links switched on
// or off.
class AddressChangeSocket {
public:
    AddressChangeSocket();
    ~AddressChangeSocket();
    AddressChangeSocket(const AddressChangeSocket&) = delete;
    AddressChangeSocket& operator=(const AddressChangeSocket&) = delete;

    // -1 when the socket could not be opened (a sandbox without netlink): the poll alone then finds changes.
    int Descriptor() const { return fd_; }
    // Reads what is waiting; true when it announced a change of an address or a link.
    bool TakeChanges();

private:
    int fd_ = -1;
};

} // namespace zelto
