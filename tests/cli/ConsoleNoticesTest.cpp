#include "cli/ConsoleNotices.h"
#include "cli/OstreamConsoleStream.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

namespace zelto {
namespace {

TEST(ConsoleNoticesTest, EachLineGetsItsJournalPriorityAndServerTextCannotForgeOne) {
    std::ostringstream out, err;
    OstreamConsoleStream outStream(out), errStream(err);
    Console console{outStream, errStream, "zelto-premium", LogMarks::Journal, LogMarks::Journal};
    ConsoleNotices notices(console);
    notices.LogExchange("u", ExchangeOutcome::NoAnswer, "no answer");
    // Information, whatever its words: the priority follows the outcome.
    notices.LogExchange("u", ExchangeOutcome::Answered, "no answer could not be found");
    EXPECT_EQ(out.str(), "<3>u -> no answer\n<6>u -> no answer could not be found\n");
    // C1 too, which some terminals obey as controls; other bytes are text of the settings' code page.
    out.str("");
    notices.LogExchange("u", ExchangeOutcome::Answered, "\x1b[2J\r\n<0>forged\x7f\x81\x80\xa0 caf\xe9");
    EXPECT_EQ(out.str(), "<6>u -> \\x1b[2J\\x0d\\x0a<0>forged\\x7f\\xc2\\x81\xe2\x82\xac\xc2\xa0 caf\xc3\xa9\n");
    // A whole page of answer is cut, with a mark.
    out.str("");
    notices.LogExchange("u", ExchangeOutcome::Answered, std::string(60000, 'a'));
    EXPECT_LT(out.str().size(), 400u);
    EXPECT_NE(out.str().find("60000"), std::string::npos) << out.str();
}

// Shows only what was flushed, in one record shared by the two streams.
class FlushedOnly : public std::stringbuf {
public:
    explicit FlushedOnly(std::string& shown) : shown_(shown) {}

protected:
    int sync() override {
        shown_ += str();
        str("");
        return 0;
    }

private:
    std::string& shown_;
};

// A pass may hold its lines back, but a message never overtakes them, every one is out when the pass ends,
// and lines from two threads never mix; a tooltip is printed when it changes, not each time it is set.
TEST(ConsoleNoticesTest, APassLinesAreWholeInOrderAndOutByItsEnd) {
    std::string shown;
    FlushedOnly outBuffer(shown), errBuffer(shown);
    std::ostream out(&outBuffer), err(&errBuffer);
    OstreamConsoleStream outStream(out), errStream(err);
    Console console{outStream, errStream, "zelto-premium"};
    ConsoleNotices notices(console);
    std::thread other([&] {
        for (int i = 0; i < 2000; ++i)
            notices.SetTooltipText(i % 2 ? "top" : "tip");
    });
    for (int i = 0; i < 2000; ++i)
        notices.LogExchange("url", ExchangeOutcome::Answered, "answer");
    other.join();
    static const std::regex whole(R"(^(tip|top|url -> answer)\n)", std::regex::multiline);
    EXPECT_EQ(std::regex_replace(shown, whole, ""), "");
    shown.clear();
    notices.PassBegins();
    for (const char* url : {"a", "b", "c"})
        notices.LogExchange(url, ExchangeOutcome::Answered, "ip2");
    notices.ShowMessage("refused");
    EXPECT_EQ(shown, "a -> ip2\nb -> ip2\nc -> ip2\nzelto-premium: refused\n");
    notices.LogExchange("d", ExchangeOutcome::NoAnswer, "no answer");
    notices.SetTooltipText("top");
    notices.PassEnded();
    EXPECT_TRUE(shown.ends_with("refused\nd -> no answer\n")) << shown;
    notices.SetTooltipText("tip");
    EXPECT_TRUE(shown.ends_with("no answer\ntip\n"));
}

} // namespace
} // namespace zelto
