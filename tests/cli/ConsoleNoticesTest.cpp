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
