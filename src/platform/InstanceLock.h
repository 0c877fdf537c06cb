#pragma once

#include <filesystem>
#include <memory>
#include <optional>

namespace zelto {

// Which kind of client runs on a settings file; a second desktop start hands over to a running desktop
// client, while anything else beside a running client is refused.
enum class ClientKind { Desktop, Headless };

// Who holds a settings file: the process id (0 when it could not be read) and, when recorded, its kind.
struct InstanceHolder {
    long long pid = 0;
    std::optional<ClientKind> kind;
};

// One client per settings file: held for as long as the object lives, released when it goes (or when the
// process ends, however it ends). The lock lives in a file beside the settings file ("ZeltoPre.INI.run"),
// which names the holder, so that a refused client can say which process is running. The file itself is
// held too, by its identity, so that a hard link to it is the same file. Each platform builds it on its own
// locks (linux/ and windows/ hold one each).
class InstanceLock {
public:
    enum class Claim {
        Taken,         // this process is the settings file's one client
        HeldElsewhere, // another process holds it: see Holder
        Unavailable,   // no lock could be made (an unwritable folder): the client runs unguarded
    };

    InstanceLock(const std::filesystem::path& settings, ClientKind kind);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Claim Result() const;
    // The process holding the file when Result is HeldElsewhere.
    const InstanceHolder& Holder() const;

    // The lock file of a settings file, beside the file its path names once links are followed.
    static std::filesystem::path LockPath(const std::filesystem::path& settings);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace zelto
