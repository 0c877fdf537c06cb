#pragma once

#include "cli/ConsoleStream.h"

#include <ostream>

namespace zelto {

// The command line's text on a C++ stream, for a console that has one of its own (Windows) and for tests.
class OstreamConsoleStream final : public ConsoleStream {
public:
    explicit OstreamConsoleStream(std::ostream& stream) : stream_(stream) {}
    void Write(std::string_view text) override {
        stream_.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    void Flush() override { stream_.flush(); }

private:
    std::ostream& stream_;
};

} // namespace zelto
