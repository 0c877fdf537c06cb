#pragma once

#include "platform/Clock.h"

namespace zelto {

class SystemClock : public Clock {
public:
    std::time_t Now() const override { return std::time(nullptr); }
};

} // namespace zelto
