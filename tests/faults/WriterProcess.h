#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zelto::faults {

// A settings-writer process (SettingsWriter.cpp) with pipes to its standard input and output; killed at
// destruction if it still runs. Implemented in posix/ and windows/.
class WriterProcess {
public:
    explicit WriterProcess(const std::vector<std::string>& arguments);
    ~WriterProcess();
    WriterProcess(const WriterProcess&) = delete;
    WriterProcess& operator=(const WriterProcess&) = delete;

    // Exactly `size` bytes of its output; false at its end.
    bool Read(void* bytes, std::size_t size);
    bool Send(char byte);
    // Ends it at once, as a crash or a power cut would; its output stays readable up to its end.
    void Kill();
    // Its exit code once it has ended; -1 when killed.
    int Wait();

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};

} // namespace zelto::faults
