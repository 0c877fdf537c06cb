#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelto::fakes {

// A program of the test's, started with pipes to its standard input and output and killed at destruction if it
// still runs. Implemented in posix/ and windows/.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv); // the program first
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Exactly `size` bytes of its output; false at its end.
    bool Read(void* bytes, std::size_t size);
    // Its output up to the next line feed, without it; what there is at its end.
    std::string Line() {
        std::string line;
        for (char c = 0; Read(&c, 1) && c != '\n';)
            line.push_back(c);
        return line;
    }
    bool Send(std::string_view bytes);
    // Ends it at once, as a crash or a power cut would; its output stays readable up to its end.
    void Kill();
#if !defined(_WIN32)
    // Asks it to end, as the system does at shutdown: SIGTERM.
    void Terminate();
#endif
    // Its exit code once it has ended; -1 when killed, or when it has not ended within `timeout`.
    int Wait(std::chrono::milliseconds timeout = std::chrono::minutes(10));

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

} // namespace zelto::fakes
