#include "cli/LogLine.h"

#include <charconv>
#include <ctime>
#include <sys/stat.h>

namespace zelto {

namespace {

// Parses one decimal field of "device:inode"; false unless the whole field is digits.
template <typename Number> bool ParseField(std::string_view field, Number& value) {
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return !field.empty() && error == std::errc() && end == field.data() + field.size();
}

} // namespace

LogMarks LogMarksFor(int fd, const char* journalStream) {
    if (journalStream == nullptr)
        return LogMarks::Timestamp;
    const std::string_view named(journalStream);
    const std::size_t colon = named.find(':');
    unsigned long long device = 0;
    unsigned long long inode = 0;
    struct stat info {};
    if (colon == std::string_view::npos || !ParseField(named.substr(0, colon), device) ||
        !ParseField(named.substr(colon + 1), inode) || ::fstat(fd, &info) != 0)
        return LogMarks::Timestamp;
    return info.st_dev == device && info.st_ino == inode ? LogMarks::Journal : LogMarks::Timestamp;
}

std::string MarkLogLine(LogMarks marks, LogPriority priority, std::string_view text,
                        std::chrono::system_clock::time_point when) {
    switch (marks) {
    case LogMarks::None:
        break;
    case LogMarks::Journal: {
        // Appended piece by piece: a string put in front of another makes g++ 12 at -O3 warn of an
        // overlapping copy that cannot happen (-Wrestrict).
        std::string line = "<";
        line += std::to_string(static_cast<int>(priority));
        line += '>';
        line.append(text);
        return line;
    }
    case LogMarks::Timestamp: {
        const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
        std::tm local{};
        char stamp[32] = "";
        if (::localtime_r(&seconds, &local) != nullptr)
            std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &local);
        std::string line(stamp);
        line += text;
        return line;
    }
    }
    return std::string(text);
}

} // namespace zelto
