#include "cli/ConsoleNotices.h"
#include "cli/OstreamConsoleStream.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelto {
namespace {

TEST(ConsoleNoticesTest, EachLineGetsItsJournalPriorityAndServerTextCannotForgeOne) {
    std::ostringstream out, err;
    OstreamConsoleStream outStream(out), errStream(err);
    Console console{outStream, errStream, "zelto-premium", LogMarks::Journal, LogMarks::Journal};
    ConsoleNotices notices(console);
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

} // namespace
} // namespace zelto
