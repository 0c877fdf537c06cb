#pragma once

#include <concepts>
#include <cstdio>
#include <string_view>

namespace zelto {

// Where the command line writes its text: only what the commands need of a stream. Not a std::ostream,
// whose first construction builds the C++ locale with every facet of it, a cost every start would pay.
class ConsoleStream {
public:
    virtual ~ConsoleStream() = default;
    virtual void Write(std::string_view text) = 0;
    virtual void Flush() = 0;
};

// `stream << flush` writes out what the stream holds back.
struct FlushConsole {};
inline constexpr FlushConsole flush{};

inline ConsoleStream& operator<<(ConsoleStream& stream, std::string_view text) {
    stream.Write(text);
    return stream;
}

// A character, and nothing that would only convert to one: a number must be written as text.
template <std::same_as<char> Character> ConsoleStream& operator<<(ConsoleStream& stream, Character c) {
    stream.Write(std::string_view(&c, 1));
    return stream;
}

inline ConsoleStream& operator<<(ConsoleStream& stream, FlushConsole) {
    stream.Flush();
    return stream;
}

// A C stream such as stdout, buffered as the C library buffers it. One tied to another writes out what that
// one holds first, as std::cerr does for std::cout, so that a log of both keeps the order they were written in.
class FileConsoleStream final : public ConsoleStream {
public:
    explicit FileConsoleStream(std::FILE* file, ConsoleStream* tied = nullptr) : file_(file), tied_(tied) {}
    void Write(std::string_view text) override {
        if (tied_ != nullptr)
            tied_->Flush();
        std::fwrite(text.data(), 1, text.size(), file_);
    }
    void Flush() override { std::fflush(file_); }

private:
    std::FILE* file_;
    ConsoleStream* tied_;
};

} // namespace zelto
