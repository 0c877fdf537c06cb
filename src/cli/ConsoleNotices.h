#pragma once

#include "cli/LogLine.h"
#include "config/PrintableText.h"
#include "update/Notices.h"

#include "cli/ConsoleStream.h"
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>

namespace zelto {

// Where the command line writes: results on out, problems on err, both prefixed as this program.
struct Console {
    ConsoleStream& out;
    ConsoleStream& err;
    std::string program; // the executable's base name
    // How the engine's lines are marked on each stream (the command results are never marked).
    LogMarks outMarks = LogMarks::None;
    LogMarks errMarks = LogMarks::None;
};

// A refusal as the command line tells it, naming the command of `program` that fixes it.
std::string AccountProblemLine(const AccountNotice& notice, const std::string& program);

// The engine's notices on a terminal: messages on err as "program: text" at once (nobody is there to close
// a box), tooltips and request lines on out. A tooltip is printed when its text changes: a pass sets the same
// one after every answer. Lines from several threads never mix, and keep their order across the two streams.
// Each is flushed, but for the request lines of a pass, which are flushed together at most every tenth of a
// second and at its end: a pass of many domains then writes the log in a few pieces instead of a write per
// request. Messages are warnings, tooltips and answered requests information, requests that failed errors.
class ConsoleNotices : public Notices {
public:
    explicit ConsoleNotices(Console& console) : console_(console) {}

    void ShowMessage(const std::string& text) override;
    void ShowAccountProblem(const AccountNotice& notice) override;
    bool SetTooltipText(const std::string& text) override;
    void LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) override;
    void PassBegins() override;
    void PassEnded() override;

private:
    enum class Flush { Now, MayWait };
    void WriteLine(ConsoleStream& stream, LogMarks marks, LogPriority priority, const std::string& line,
                   Flush when = Flush::Now);

    Console& console_;
    std::mutex mutex_;
    std::string tooltip_; // the last one printed
    bool inPass_ = false;
    std::chrono::steady_clock::time_point flushedAt_;
};

} // namespace zelto
