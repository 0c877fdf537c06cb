#pragma once

#include <cstdint>

namespace zelto {

// The operating system's switch that lets a request start an automatic dial-up connection: a 4-byte
// value with a type, as stored. Platforms without such a switch cannot open it.
class AutodialSetting {
public:
    AutodialSetting() = default;
    virtual ~AutodialSetting() = default;
    AutodialSetting(const AutodialSetting&) = delete;
    AutodialSetting& operator=(const AutodialSetting&) = delete;

    // Opens the setting for reading and writing; false when it cannot be opened.
    virtual bool Open() = 0;
    // Reads the value and its type; false when it cannot be read.
    virtual bool Read(std::uint32_t& value, std::uint32_t& type) = 0;
    // Writes a 4-byte value with the given type; false when it cannot be written.
    virtual bool Write(std::uint32_t value, std::uint32_t type) = 0;
    // Closes what Open opened.
    virtual void Close() = 0;

    // A copy of the value last read (type and bytes), kept outside the process where its next start finds
    // it: a process killed while the setting is off leaves the user's value behind. False when it cannot.
    virtual bool KeepCopy() = 0;
    // Forgets the kept copy.
    virtual void DropCopy() = 0;
    // Puts back a copy that an earlier run kept and never dropped, as it was, and forgets it.
    virtual void RestoreKeptCopy() = 0;
};

} // namespace zelto
