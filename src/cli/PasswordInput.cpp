#include "cli/PasswordInput.h"

#include "cli/QuietTerminal.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace zelto {

namespace {

// Each stop and continue (Ctrl-Z, then fg) asks again from the start; nobody does this a hundred times.
constexpr int kMaxPrompts = 100;

// Byte by byte, so that nothing after the line end is taken from a pipe that a script goes on reading.
PasswordLine ReadLine(int fd, const std::function<bool()>& waitForInput) {
    PasswordLine line;
    std::string text;
    for (int interruptions = 0; text.size() <= kMaxPasswordLine;) {
        if (!waitForInput()) {
            line.outcome = QuietTerminal::Caught() != 0 ? PasswordRead::Interrupted : PasswordRead::Failed;
            line.error = errno;
            return line;
        }
        char byte = 0;
        const ssize_t got = read(fd, &byte, 1);
        if (got < 0 && errno == EINTR && ++interruptions < 1000)
            continue;
        if (got < 0) {
            line.outcome = PasswordRead::Failed;
            line.error = errno;
            return line;
        }
        if (got == 0 && text.empty()) {
            line.outcome = PasswordRead::NoLine;
            return line;
        }
        if (got == 0 || byte == '\n') {
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            line.outcome = text.empty() ? PasswordRead::Empty : PasswordRead::Read;
            line.text = std::move(text);
            return line;
        }
        text.push_back(byte);
    }
    line.outcome = PasswordRead::TooLong;
    return line;
}

PasswordLine ReadFromTerminal(int fd, ConsoleStream& prompt) {
    for (int prompts = 0; prompts < kMaxPrompts; ++prompts) {
        PasswordLine line;
        int caught = 0;
        {
            QuietTerminal quiet(fd);
            if (!quiet.Active())
                return PasswordLine{PasswordRead::Failed, {}, errno};
            prompt << "Password: " << flush;
            line = ReadLine(fd, [&quiet] { return quiet.WaitForInput(); });
            // The line end the user typed was not echoed either.
            prompt << '\n' << flush;
            caught = QuietTerminal::Caught();
        }
        if (caught == 0)
            return line;
        // The terminal is as it was: now the signal may end or stop the process as it would have.
        raise(caught);
        if (!IsStopSignal(caught))
            return line;
    }
    return PasswordLine{PasswordRead::Interrupted, {}, 0};
}

} // namespace

PasswordLine ReadPassword(int fd, ConsoleStream& prompt) {
    if (isatty(fd)) {
        PasswordLine line = ReadFromTerminal(fd, prompt);
        // A device the system counts as a terminal but that has no echo to turn off (NUL on Windows) is read
        // as any other input; nothing was prompted yet.
        if (line.outcome != PasswordRead::Failed || line.error != ENOTTY) {
            line.typed = true;
            return line;
        }
    }
    return ReadLine(fd, [] { return true; });
}

std::string PasswordProblem(const PasswordLine& line) {
    switch (line.outcome) {
    case PasswordRead::Read:
        break;
    case PasswordRead::NoLine:
        return "no password on standard input";
    case PasswordRead::Empty:
        return "the password is empty";
    case PasswordRead::TooLong:
        return "the password line is longer than " + std::to_string(kMaxPasswordLine) + " bytes";
    case PasswordRead::Failed:
        return line.error == 0 ? "could not read the password"
                               : std::string("could not read the password: ") + std::strerror(line.error);
    case PasswordRead::Interrupted:
        return "interrupted while reading the password";
    }
    return {};
}

} // namespace zelto
