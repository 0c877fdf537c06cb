#include "cli/QuietTerminal.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <termios.h>

namespace zelto {

struct QuietTerminal::Saved {
    termios terminal{};
    sigset_t mask{};
};

namespace {

// What can end or stop the process while the prompt waits: a Ctrl-C, a hang-up, a kill, a Ctrl-Z.
constexpr std::array kWatchedSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGTSTP, SIGTTIN};

volatile std::sig_atomic_t caughtSignal = 0;
std::array<struct sigaction, kWatchedSignals.size()> savedActions{};
std::array<bool, kWatchedSignals.size()> replaced{};

extern "C" void NoteSignal(int signal) {
    caughtSignal = signal;
}

sigset_t WatchedSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kWatchedSignals)
        sigaddset(&set, signal);
    return set;
}

} // namespace

QuietTerminal::QuietTerminal(int fd) : fd_(fd), saved_(std::make_unique<Saved>()) {
    caughtSignal = 0;
    const sigset_t watched = WatchedSet();
    // Held back from here on, so that none can end the process between two steps with the echo off.
    sigprocmask(SIG_BLOCK, &watched, &saved_->mask);
    if (!TurnEchoOff()) {
        const int error = errno;
        sigprocmask(SIG_SETMASK, &saved_->mask, nullptr);
        errno = error;
        return;
    }
    struct sigaction note {};
    note.sa_handler = NoteSignal;
    sigemptyset(&note.sa_mask);
    note.sa_flags = 0; // no SA_RESTART: the wait must return when one arrives
    for (std::size_t i = 0; i < kWatchedSignals.size(); ++i) {
        replaced[i] = false;
        if (sigaction(kWatchedSignals[i], nullptr, &savedActions[i]) != 0)
            continue;
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        if (savedActions[i].sa_handler == SIG_IGN)
            continue;
        replaced[i] = sigaction(kWatchedSignals[i], &note, nullptr) == 0;
    }
    active_ = true;
}

bool QuietTerminal::TurnEchoOff() {
    if (tcgetattr(fd_, &saved_->terminal) != 0)
        return false;
    termios quiet = saved_->terminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    // Flushing drops what was typed ahead, which the terminal has already shown.
    return tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
}

QuietTerminal::~QuietTerminal() {
    if (!active_)
        return;
    // Flushing drops what was typed after the line, unseen: it must not reach the shell as a command.
    tcsetattr(fd_, TCSAFLUSH, &saved_->terminal);
    for (std::size_t i = 0; i < kWatchedSignals.size(); ++i)
        if (replaced[i])
            sigaction(kWatchedSignals[i], &savedActions[i], nullptr);
    // A signal that arrived after the wait is still held back; let it through now that the echo is back.
    sigprocmask(SIG_SETMASK, &saved_->mask, nullptr);
}

bool QuietTerminal::WaitForInput() {
    if (caughtSignal != 0)
        return false;
    pollfd input{fd_, POLLIN, 0};
    // ppoll takes the signals only while it waits, so none slips in between a check and the wait.
    sigset_t open = saved_->mask;
    for (int signal : kWatchedSignals)
        sigdelset(&open, signal);
    for (int tries = 0; tries < 1000; ++tries) {
        const int ready = ppoll(&input, 1, nullptr, &open);
        if (ready > 0)
            return true;
        if (ready < 0 && errno == EINTR && caughtSignal == 0)
            continue; // a signal we do not watch, such as a resize of the window
        return false;
    }
    return false;
}

int QuietTerminal::Caught() {
    return caughtSignal;
}

bool IsStopSignal(int signal) {
    return signal == SIGTSTP || signal == SIGTTIN;
}

} // namespace zelto
