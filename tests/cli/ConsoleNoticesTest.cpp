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

} // namespace
} // namespace zelto
