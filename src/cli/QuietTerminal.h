#pragma once

#include <memory>

namespace zelto {

// Turns a terminal's echo off while it lives, so that a password typed at a prompt never shows. The
// signals that end or stop a process are held back meanwhile and taken only while waiting for input; one
// that arrives is reported by Caught() once the terminal is back as it was, and the caller then lets it
// take its usual course. Only one may live at a time. QuietTerminal.cpp on POSIX; on Windows the console's
// echo (src/platform/windows/ConsoleQuietTerminal.cpp), where no signal waits.
class QuietTerminal {
public:
    explicit QuietTerminal(int fd);
    ~QuietTerminal();
    QuietTerminal(const QuietTerminal&) = delete;
    QuietTerminal& operator=(const QuietTerminal&) = delete;

    // False when the terminal's settings could not be changed; errno says why. Nothing else happened then.
    bool Active() const { return active_; }

    // Waits until the terminal has input; false when a signal came first or the wait failed.
    bool WaitForInput();

    // The signal that interrupted the wait, 0 when none.
    static int Caught();

private:
    bool TurnEchoOff();

    struct Saved; // the terminal's settings and what else the system lets the prompt change, as they were

    int fd_;
    bool active_ = false;
    std::unique_ptr<Saved> saved_;
};

// SIGTSTP and SIGTTIN: the process stops and may be continued.
bool IsStopSignal(int signal);

} // namespace zelto
