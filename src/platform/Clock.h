#pragma once

#include <ctime>

namespace zelto {

// The current calendar time; formatted in local time by its users.
class Clock {
public:
    Clock() = default;
    virtual ~Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    virtual std::time_t Now() const = 0;
};

} // namespace zelto
