#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace zelto {

// How the lines of a running client are marked for whoever keeps them.
enum class LogMarks {
    None,      // bare text, for a stream inside the program
    Timestamp, // local time first ("2026-12-06 20:15:03 "): a terminal or a log file
    Journal,   // an sd-daemon priority prefix ("<6>"); the journal adds the time itself
};

// Syslog priorities, as the journal reads them from a line's prefix.
enum class LogPriority {
    Error = 3,
    Warning = 4,
    Info = 6,
};

// Journal when `fd` is the stream that `journalStream` names (the JOURNAL_STREAM variable, "device:inode" in
// decimal), Timestamp otherwise. A service manager passes the variable on to children whose output goes
// elsewhere, so the variable alone does not tell.
LogMarks LogMarksFor(int fd, const char* journalStream);

// The text marked as a line written at `when`; no line end.
std::string MarkLogLine(LogMarks marks, LogPriority priority, std::string_view text,
                        std::chrono::system_clock::time_point when);

} // namespace zelto
