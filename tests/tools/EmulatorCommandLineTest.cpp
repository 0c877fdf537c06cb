// The zelto-service-emulator command line.

#include "EmulatorArguments.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdio>
#include <fstream>
#include <memory>

namespace zelto::emulator {
namespace {

TEST(EmulatorCommandLineTest, AccountsParse) {
    struct Case {
        const char* text;
        bool valid;
        Account account;
    };
    const Case cases[] = {
        {"example.com:secret1", true, {"example", "com", "secret1", false}},
        {"example.com:secret1:expired", true, {"example", "com", "secret1", true}},
        {"shop.co.uk:a:b", true, {"shop", "co.uk", "a:b", false}},
        {"example.com:", false, {}},
        {"example.com:expired", true, {"example", "com", "expired", false}},
        {"example:secret1", false, {}},
        {".com:secret1", false, {}},
        {"example.:secret1", false, {}},
        {"example.com", false, {}},
    };
    for (const Case& c : cases) {
        std::optional<Account> account = ParseAccount(c.text);
        ASSERT_EQ(account.has_value(), c.valid) << c.text;
        if (!account)
            continue;
        EXPECT_EQ(account->secondLevel, c.account.secondLevel) << c.text;
        EXPECT_EQ(account->firstLevel, c.account.firstLevel) << c.text;
        EXPECT_EQ(account->password, c.account.password) << c.text;
        EXPECT_EQ(account->expired, c.account.expired) << c.text;
    }
}

TEST(EmulatorCommandLineTest, FaultsParse) {
    EXPECT_EQ(ParseFault("close")->kind, Fault::Kind::CloseWithoutAnswer);
    EXPECT_EQ(ParseFault("delay:1500")->delay, std::chrono::milliseconds(1500));
    std::optional<Fault> status = ParseFault("status:500:ip1.2.3.4");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status, 500);
    EXPECT_EQ(status->body, "ip1.2.3.4\r\n");
    std::optional<Fault> redirect = ParseFault("redirect:http://127.0.0.1:1/x");
    ASSERT_TRUE(redirect);
    EXPECT_EQ(redirect->status, 302);
    EXPECT_EQ(redirect->location, "http://127.0.0.1:1/x");
    EXPECT_EQ(ParseFault("longline:1048576")->longLineBytes, 1048576u);
    for (const char* bad : {"", "close:1", "delay", "delay:-1", "delay:x", "status:abc", "status:99",
                            "redirect:", "longline:", "explode"})
        EXPECT_FALSE(ParseFault(bad)) << bad;
}

TEST(EmulatorCommandLineTest, ArgumentsParseAndRejectMistakes) {
    const std::string file = ::testing::TempDir() + "zelto-emulator-accounts.txt";
    {
        std::ofstream out(file);
        out << "# test accounts\r\n\r\nexample.com:secret1\r\nold.org:secret3:expired\n";
    }
    Arguments arguments;
    std::string error;
    ASSERT_TRUE(ParseArguments({"--port", "0", "--lifetime", "5", "--account", "a.net:pw", "--accounts", file, "--log",
                                "--ipcheck-address", "192.0.2.3", "--fault", "close"},
                               arguments, error))
        << error;
    EXPECT_EQ(arguments.options.lifetime, std::chrono::seconds(5));
    EXPECT_TRUE(arguments.options.log);
    EXPECT_EQ(arguments.options.ipCheckAddress, "192.0.2.3");
    EXPECT_EQ(arguments.fault.kind, Fault::Kind::CloseWithoutAnswer);
    ASSERT_EQ(arguments.accounts.size(), 3u);
    EXPECT_EQ(arguments.accounts[1].password, "secret1");
    EXPECT_TRUE(arguments.accounts[2].expired);

    const std::vector<std::vector<std::string>> mistakes = {
        {"--port"},
        {"--port", "70000"},
        {"--lifetime", "0"},
        {"--account", "nodot:pw"},
        {"--accounts", file + ".missing"},
        {"--fault", "explode"},
        {"--verbose"},
        {"stray"},
    };
    for (const auto& args : mistakes) {
        Arguments ignored;
        error.clear();
        EXPECT_FALSE(ParseArguments(args, ignored, error)) << args.front();
        EXPECT_FALSE(error.empty()) << args.front();
    }
    std::remove(file.c_str());
}

TEST(EmulatorCommandLineTest, ExecutableAnnouncesItsPortAndServes) {
    const std::string command = std::string(ZELTO_EMULATOR_EXE) + " --lifetime 2 --account example.com:secret1";
    std::unique_ptr<FILE, int (*)(FILE*)> process(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_TRUE(process);
    int port = 0;
    ASSERT_EQ(std::fscanf(process.get(), "port %d", &port), 1);
    httplib::Client client("127.0.0.1", port);
    auto result = client.Get("/premium/update.asp?first=com&second=example&password=secret1&ip_address=192.0.2.7");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->body, "ip192.0.2.7\r\n");
}

} // namespace
} // namespace zelto::emulator
