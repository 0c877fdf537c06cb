// QuietTerminal on Windows: the console's echo turned off while the password is typed. A console has no
// signals to hold back: Ctrl+C goes to the console control handler, and the input is there to be read.

#include "cli/QuietTerminal.h"

#include <windows.h>

#include <cerrno>
#include <io.h>

namespace zelto {

struct QuietTerminal::Saved {
    HANDLE input = INVALID_HANDLE_VALUE;
    DWORD mode = 0;
};

QuietTerminal::QuietTerminal(int fd) : fd_(fd), saved_(std::make_unique<Saved>()) {
    active_ = TurnEchoOff();
}

bool QuietTerminal::TurnEchoOff() {
    saved_->input = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
    if (saved_->input == INVALID_HANDLE_VALUE || !::GetConsoleMode(saved_->input, &saved_->mode)) {
        errno = ENOTTY; // a character device, such as NUL, that is no console
        return false;
    }
    // Line input stays on, so that the line is read when Enter is pressed.
    return ::SetConsoleMode(saved_->input, saved_->mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
}

QuietTerminal::~QuietTerminal() {
    if (active_)
        ::SetConsoleMode(saved_->input, saved_->mode);
}

bool QuietTerminal::WaitForInput() {
    return true;
}

int QuietTerminal::Caught() {
    return 0;
}

bool IsStopSignal(int) {
    return false;
}

} // namespace zelto
