#include "cli/ConsoleNotices.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

namespace zelto {
namespace {

TEST(ConsoleNoticesTest, EachLineGetsItsJournalPriorityAndServerTextCannotForgeOne) {
    std::ostringstream out, err;
    Console console{out, err, "zelto-premium", LogMarks::Journal, LogMarks::Journal};
    ConsoleNotices notices(console);
    notices.ShowMessage("Password for domain *.example.com is incorrect!");
    notices.LogExchange("u", "no answer");
    notices.LogExchange("u", "ip203.0.113.7 (the update record could not be written)");
    notices.LogExchange("u", "\x1b[2J\r\n<0>forged\x7f\x9b\x80\xa0 caf\xe9");
    EXPECT_EQ(err.str(), "<4>zelto-premium: Password for domain *.example.com is incorrect!\n");
    EXPECT_EQ(out.str(), "<3>u -> no answer\n<3>u -> ip203.0.113.7 (the update record could not be written)\n"
                         "<6>u -> \\x1b[2J\\x0d\\x0a<0>forged\\x7f\\x9b\\x80\xa0 caf\xe9\n");
}

TEST(ConsoleNoticesTest, LinesFromTwoThreadsNeverMix) {
    std::ostringstream out, err;
    Console console{out, err, "zelto-premium"};
    ConsoleNotices notices(console);
    std::thread other([&] {
        for (int i = 0; i < 2000; ++i)
            notices.SetTooltipText(i % 2 ? "top" : "tip");
    });
    for (int i = 0; i < 2000; ++i)
        notices.LogExchange("url", "answer");
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

} // namespace
} // namespace zelto
