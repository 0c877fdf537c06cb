#pragma once

#include <memory>

namespace zelto {

// For the life of the object, std::cout and std::cerr take the program's UTF-8 text to the console as the
// console shows it: written as UTF-16 to a console window, and in the console's code page (the system's
// ANSI code page without one) to a file or pipe.
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

private:
    struct Streams;
    std::unique_ptr<Streams> streams_;
};

} // namespace zelto
