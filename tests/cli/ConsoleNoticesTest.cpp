#include "cli/ConsoleNotices.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace zelto {
namespace {

TEST(ConsoleNoticesTest, ControlCharactersFromTheServerAreShownNotObeyed) {
    EXPECT_EQ(PrintableText("ip1.2.3.4"), "ip1.2.3.4");
    EXPECT_EQ(PrintableText("\x1b[2Jip\r\nforged\x7f"), "\\x1b[2Jip\\x0d\\x0aforged\\x7f");
    EXPECT_EQ(PrintableText("caf\xe9"), "caf\xe9");
}

TEST(ConsoleNoticesTest, RoutesEachNoticeAndPrefixesMessagesWithTheProgram) {
    std::ostringstream out;
    std::ostringstream err;
    Console console{out, err, "zelto-premium"};
    ConsoleNotices notices(console);
    notices.ShowMessage("Domain *.a.com does not exist!");
    EXPECT_TRUE(notices.SetTooltipText("Zelto Premium Online! IP Address->ip\x1b"));
    notices.LogExchange("http://h/premium/update.asp?password=***", "no answer");
    EXPECT_EQ(err.str(), "zelto-premium: Domain *.a.com does not exist!\n");
    EXPECT_EQ(out.str(), "Zelto Premium Online! IP Address->ip\\x1b\nhttp://h/premium/update.asp?password=*** -> "
                         "no answer\n");
}

TEST(ConsoleNoticesTest, LinesFromTwoThreadsNeverMix) {
    std::ostringstream out;
    std::ostringstream err;
    Console console{out, err, "zelto-premium"};
    ConsoleNotices notices(console);
    constexpr int kLines = 2000;
    std::thread other([&] {
        for (int i = 0; i < kLines; ++i)
            notices.SetTooltipText("bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb");
    });
    for (int i = 0; i < kLines; ++i)
        notices.LogExchange("aaaaaaaaaaaaaaaaaaaaaaaa", "aaaaaaaaaaaaaaaaaaaaaa");
    other.join();
    std::istringstream lines(out.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_TRUE(line == "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb" ||
                    line == "aaaaaaaaaaaaaaaaaaaaaaaa -> aaaaaaaaaaaaaaaaaaaaaa")
            << line;
    }
    EXPECT_EQ(count, 2 * kLines);
}

} // namespace
} // namespace zelto
