#include "platform/windows/ConsoleOutput.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>

namespace zelto {
namespace {

// Collects UTF-8 bytes and hands whole characters on at each flush.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(DWORD which) : handle_(::GetStdHandle(which)) {
        DWORD mode = 0;
        console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle_, &mode);
    }
    ~ConsoleBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            pending_ += static_cast<char>(c);
            if (c == '\n')
                sync();
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        const std::size_t whole = WholeCharacters();
        const std::wstring wide = Widen(std::string_view(pending_).substr(0, whole));
        pending_.erase(0, whole);
        return Write(wide) ? 0 : -1;
    }

private:
    // The bytes up to the last character that has all its bytes.
    std::size_t WholeCharacters() const {
        std::size_t end = pending_.size();
        for (std::size_t back = 1; back <= 3 && back <= pending_.size(); ++back) {
            const auto byte = static_cast<unsigned char>(pending_[pending_.size() - back]);
            if ((byte & 0xC0) == 0x80)
                continue;
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            if (length > back)
                end = pending_.size() - back;
            break;
        }
        return end;
    }

    bool Write(const std::wstring& text) {
        if (text.empty() || handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE)
            return true;
        DWORD written = 0;
        if (console_)
            return ::WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        UINT page = ::GetConsoleOutputCP();
        if (page == 0)
            page = ::GetACP();
        // A character the page lacks shows as "?", never as a look-alike ("ı" as "i").
        const DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
        const int size = static_cast<int>(text.size());
        const int length = ::WideCharToMultiByte(page, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<std::size_t>(length), '\0');
        ::WideCharToMultiByte(page, flags, text.data(), size, bytes.data(), length, nullptr, nullptr);
        return ::WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    HANDLE handle_;
    bool console_ = false;
    std::string pending_;
};

} // namespace

struct ConsoleOutput::Streams {
    ConsoleBuffer out{STD_OUTPUT_HANDLE};
    ConsoleBuffer err{STD_ERROR_HANDLE};
    std::streambuf* savedOut = std::cout.rdbuf(&out);
    std::streambuf* savedErr = std::cerr.rdbuf(&err);
};

ConsoleOutput::ConsoleOutput() : streams_(std::make_unique<Streams>()) {}

ConsoleOutput::~ConsoleOutput() {
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(streams_->savedOut);
    std::cerr.rdbuf(streams_->savedErr);
}

} // namespace zelto
