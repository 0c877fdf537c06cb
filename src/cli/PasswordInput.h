#pragma once

#include "cli/ConsoleStream.h"
#include <string>

namespace zelto {

enum class PasswordRead {
    Read,
    NoLine,      // the input ended before anything was read
    Empty,       // an empty line
    TooLong,     // more than kMaxPasswordLine bytes before the line end
    Failed,      // the input could not be read or the terminal not set up; error says why
    Interrupted, // a signal came while the prompt waited, and did not end the process
};

struct PasswordLine {
    PasswordRead outcome = PasswordRead::Failed;
    std::string text;   // only for Read
    int error = 0;      // errno, only for Failed
    bool typed = false; // read from a terminal, in its encoding (see ConsoleTypedText)
};

// Far more than a password of the service holds, and small enough that an endless input ends quickly.
inline constexpr std::size_t kMaxPasswordLine = 1024;

// Reads one line, its line end (LF or CRLF) dropped, from fd and nothing after it. From a terminal it
// writes "Password: " on prompt and reads with the echo off; from anything else it reads silently.
PasswordLine ReadPassword(int fd, ConsoleStream& prompt);

// Why the password was not read, as "program: ..." prints it; never the text read.
std::string PasswordProblem(const PasswordLine& line);

} // namespace zelto
