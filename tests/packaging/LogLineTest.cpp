#include "cli/LogLine.h"
#include "cli/ConsoleNotices.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zelto {
namespace {

// An open file and its "device:inode", as systemd writes JOURNAL_STREAM.
class OpenFile {
public:
    explicit OpenFile(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_WRONLY | O_CREAT, 0600)) {
        struct stat info {};
        ::fstat(fd_, &info);
        stream_ = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    }
    ~OpenFile() { ::close(fd_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int Fd() const { return fd_; }
    const std::string& Stream() const { return stream_; }

private:
    int fd_;
    std::string stream_;
};

TEST(LogLineTest, OnlyTheStreamThatJournalStreamNamesIsTheJournal) {
    fakes::TempDir dir;
    const OpenFile journal(dir.File("journal"));
    const OpenFile other(dir.File("other"));
    ASSERT_GE(journal.Fd(), 0);
    const std::string device = journal.Stream().substr(0, journal.Stream().find(':'));
    const struct {
        const char* name;
        std::string variable;
        LogMarks marks;
    } cases[] = {
        {"this stream", journal.Stream(), LogMarks::Journal},
        {"another file: a child whose output was redirected", other.Stream(), LogMarks::Timestamp},
        {"empty", "", LogMarks::Timestamp},
        {"no inode", device + ":", LogMarks::Timestamp},
        {"no device", ":" + journal.Stream().substr(journal.Stream().find(':') + 1), LogMarks::Timestamp},
        {"trailing junk", journal.Stream() + "x", LogMarks::Timestamp},
        {"signed", "-" + journal.Stream(), LogMarks::Timestamp},
        {"too large", "99999999999999999999999:1", LogMarks::Timestamp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LogMarksFor(journal.Fd(), c.variable.c_str()), c.marks);
    }
    EXPECT_EQ(LogMarksFor(journal.Fd(), nullptr), LogMarks::Timestamp);
    EXPECT_EQ(LogMarksFor(-1, journal.Stream().c_str()), LogMarks::Timestamp);
}

TEST(LogLineTest, JournalLinesCarryThePriorityAndOthersTheLocalTime) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const auto when = std::chrono::system_clock::from_time_t(1796588103); // 2026-12-06 20:15:03 UTC
    EXPECT_EQ(MarkLogLine(LogMarks::Journal, LogPriority::Error, "text", when), "<3>text");
    EXPECT_EQ(MarkLogLine(LogMarks::Journal, LogPriority::Warning, "text", when), "<4>text");
    EXPECT_EQ(MarkLogLine(LogMarks::Journal, LogPriority::Info, "text", when), "<6>text");
    EXPECT_EQ(MarkLogLine(LogMarks::Timestamp, LogPriority::Error, "text", when), "2026-12-06 20:15:03 text");
    EXPECT_EQ(MarkLogLine(LogMarks::None, LogPriority::Error, "text", when), "text");
}

TEST(LogLineTest, ConsoleNoticesGiveEachKindOfLineItsPriority) {
    std::ostringstream out;
    std::ostringstream err;
    Console console{out, err, "zelto-premium", LogMarks::Journal, LogMarks::Journal};
    ConsoleNotices notices(console);
    notices.ShowMessage("Password for domain *.example.com is incorrect!");
    notices.SetTooltipText("Zelto Premium Online! IP Address->203.0.113.7");
    const std::string url = "http://127.0.0.1/premium/update.asp?first=com&second=example&password=***";
    notices.LogExchange(url, "ip203.0.113.7");
    notices.LogExchange(url, "wrongpassword");
    notices.LogExchange(url, "no answer");
    notices.LogExchange("http://127.0.0.1/premium/ipcheck.asp", "no answer (no internet session)");
    notices.LogExchange("http://127.0.0.1/", "no internet session; trying again before the next pass");
    notices.LogExchange(url, "ip203.0.113.7 (the update record could not be written)");
    notices.LogExchange(url, "\n<0>forged");

    EXPECT_EQ(err.str(), "<4>zelto-premium: Password for domain *.example.com is incorrect!\n");
    EXPECT_EQ(out.str(), "<6>Zelto Premium Online! IP Address->203.0.113.7\n"
                         "<6>" +
                             url +
                             " -> ip203.0.113.7\n"
                             "<6>" +
                             url +
                             " -> wrongpassword\n"
                             "<3>" +
                             url +
                             " -> no answer\n"
                             "<3>http://127.0.0.1/premium/ipcheck.asp -> no answer (no internet session)\n"
                             "<3>http://127.0.0.1/ -> no internet session; trying again before the next pass\n"
                             "<3>" +
                             url +
                             " -> ip203.0.113.7 (the update record could not be written)\n"
                             "<6>" +
                             url + " -> \\x0a<0>forged\n");
}

} // namespace
} // namespace zelto
