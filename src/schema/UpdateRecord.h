#pragma once

#include <ctime>
#include <string>

namespace zelto {

// A time as the update record stores it, formatted in local time.
struct LocalStamp {
    std::string hour; // "%H"
    std::string day;  // "%j"
    std::string year; // "%Y"
};

LocalStamp FormatLocalStamp(std::time_t when);

} // namespace zelto
