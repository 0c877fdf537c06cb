#pragma once

#include <cstdint>

namespace zelto {

// The operating system's switch that lets a request start an automatic dial-up connection: a 4-byte
// value with a type, as stored. Platforms without such a switch cannot open it. Requests of several
// threads and processes may hold it switched off at once: the setting counts them, so that the value
// goes back when the last one ends.
class AutodialSetting {
public:
    AutodialSetting() = default;
    virtual ~AutodialSetting() = default;
    AutodialSetting(const AutodialSetting&) = delete;
    AutodialSetting& operator=(const AutodialSetting&) = delete;

    // Opens the setting for reading and writing, and takes the lock that every thread and process shares
    // for a change of it; false when either cannot be had. The calls below but RestoreKeptCopy need it.
    virtual bool Open() = 0;
    // Reads the value and its type; false when it cannot be read.
    virtual bool Read(std::uint32_t& value, std::uint32_t& type) = 0;
    // Writes a 4-byte value with the given type; false when it cannot be written.
    virtual bool Write(std::uint32_t value, std::uint32_t type) = 0;
    // Closes what Open opened and lets go of the lock.
    virtual void Close() = 0;

    // Whether a request of a running process, this one or another, holds the setting switched off.
    virtual bool Held() = 0;
    // Counts one more request of this process as holding it; false when it cannot.
    virtual bool Join() = 0;
    // Counts one fewer.
    virtual void Leave() = 0;

    // A copy of the value last read (type and bytes), kept outside the process where its next start finds
    // it: a process killed while the setting is off leaves the user's value behind. False when it cannot.
    virtual bool KeepCopy() = 0;
    // Forgets the kept copy.
    virtual void DropCopy() = 0;
    // Puts back a kept copy, as it was, and forgets it, unless a request still holds the setting: after the
    // last request, or after a process that was killed while holding it.
    virtual void RestoreKeptCopy() = 0;
};

} // namespace zelto
