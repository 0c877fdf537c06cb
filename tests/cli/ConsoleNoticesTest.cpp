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
    notices.ShowMessage("Password for domain *.example.com is incorrect!");
    EXPECT_EQ(err.str(), "<4>zelto-premium: Password for domain *.example.com is incorrect!\n");
    const struct {
        ExchangeOutcome outcome;
        const char* text;
        char priority; // of the line "<P>u -> TEXT"
    } cases[] = {
        {ExchangeOutcome::NoAnswer, "no answer", '3'},
        {ExchangeOutcome::Answered, "no answer could not be found", '6'}, // information, whatever its words
    };
    for (const auto& c : cases) {
        out.str("");
        notices.LogExchange("u", c.outcome, c.text);
        EXPECT_EQ(out.str(), std::string("<") + c.priority + ">u -> " + c.text + "\n");
    }
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

TEST(ConsoleNoticesTest, LinesFromTwoThreadsNeverMix) {
    std::ostringstream out, err;
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
    EXPECT_EQ(std::regex_replace(out.str(), whole, ""), "");
    EXPECT_EQ(out.str().size(), 2000u * 18);
    // A tooltip is printed when it changes, not each time a pass sets it again.
    notices.SetTooltipText("top");
    EXPECT_EQ(out.str().size(), 2000u * 18);
    notices.SetTooltipText("tip");
    EXPECT_EQ(out.str().size(), 2000u * 18 + 4);
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

// A pass may hold its request lines back, but every one is out when it ends, and a message is never shown
// ahead of the lines before it.
TEST(ConsoleNoticesTest, APassLinesAreOutByItsEndAndInOrderWithMessages) {
    std::string shown;
    FlushedOnly outBuffer(shown), errBuffer(shown);
    std::ostream out(&outBuffer), err(&errBuffer);
    OstreamConsoleStream outStream(out), errStream(err);
    Console console{outStream, errStream, "zelto-premium"};
    ConsoleNotices notices(console);
    notices.LogExchange("check", ExchangeOutcome::Answered, "ip1");
    EXPECT_EQ(shown, "check -> ip1\n");
    notices.PassBegins();
    for (const char* url : {"a", "b", "c"})
        notices.LogExchange(url, ExchangeOutcome::Answered, "ip2");
    notices.ShowMessage("refused");
    EXPECT_EQ(shown, "check -> ip1\na -> ip2\nb -> ip2\nc -> ip2\nzelto-premium: refused\n");
    notices.LogExchange("d", ExchangeOutcome::NoAnswer, "no answer");
    notices.PassEnded();
    EXPECT_TRUE(shown.ends_with("refused\nd -> no answer\n")) << shown;
}

} // namespace
} // namespace zelto
