// The service emulator's own answers, asked through an HTTP client independent of the one under test. The
// fault modes are exercised by the client's tests, which fail when a fault does not happen.

#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace zelto::emulator {
namespace {

TEST(EmulatorTest, PagesAnswerByAccount) {
    ServiceEmulator service(Options{0, std::chrono::seconds(30), {}, false});
    service.AddAccount({"example", "com", "secret1", false});
    service.AddAccount({"other", "net", "p&s #%+", false});
    service.AddAccount({"old", "org", "secret3", true});
    httplib::Client client("127.0.0.1", service.Port());
    client.set_url_encode(false); // targets go out exactly as written here
    const struct {
        const char* target;
        const char* body; // the whole body, or the start of a web page
    } cases[] = {
        {"/premium/update.asp?first=com&second=example&password=secret1&ip_address=203.0.113.7", "ip203.0.113.7\r\n"},
        {"/premium/update.asp?first=com&second=example&password=Secret1&ip_address=198.51.100.1", "wrongpassword\r\n"},
        {"/premium/update.asp?first=com&second=nobody&password=secret1", "nodomain\r\n"},
        {"/premium/update.asp?first=org&second=old&password=secret3", "expired\r\n"},
        // Values arrive percent-encoded; "+" is a space as in form-encoded queries.
        {"/premium/update.asp?first=net&second=other&password=p%26s+%23%25%2B&ip_address=", "ip127.0.0.1\r\n"},
        {"/premium/initialize.asp?first=com&second=example&password=secret1", "success\r\n"},
        {"/premium/initialize.asp?first=org&second=old&password=secret3", "failed\r\n"},
        {"/premium/ipcheck.asp", "ip127.0.0.1\r\n"},
        {"/register.htm", "<!DOCTYPE html>"},
    };
    for (const auto& c : cases) {
        const auto result = client.Get(c.target);
        ASSERT_TRUE(result) << c.target;
        EXPECT_EQ(result->status, 200) << c.target;
        EXPECT_TRUE(result->body.starts_with(c.body) && (c.body[0] == '<' || result->body == c.body))
            << c.target << ": " << result->body;
    }
    EXPECT_EQ(service.RegisteredAddress("example.com"), "203.0.113.7");
    EXPECT_EQ(service.RegisteredAddress("old.org"), "");
}

// Behind a router whose public address is read from a file: writing the file changes the address.
TEST(EmulatorTest, ExecutableAnnouncesItsPortServesAndEndsWithItsLifetime) {
    const auto start = std::chrono::steady_clock::now();
    const fakes::TempDir dir;
    const std::filesystem::path router = dir.File("router");
    fakes::WriteFile(router, "198.51.100.4\n");
    const std::string command = std::string(ZELTO_EMULATOR_EXE) +
                                " --lifetime 1 --account example.com:secret1 --account old.org:pw:expired" +
                                " --public-address @" + router.string();
    std::unique_ptr<FILE, int (*)(FILE*)> process(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_TRUE(process);
    int port = 0;
    ASSERT_EQ(std::fscanf(process.get(), "port %d", &port), 1);
    httplib::Client client("127.0.0.1", port);
    const auto update =
        client.Get("/premium/update.asp?first=com&second=example&password=secret1&ip_address=192.0.2.7");
    ASSERT_TRUE(update);
    EXPECT_EQ(update->body, "ip192.0.2.7\r\n");
    EXPECT_EQ(client.Get("/premium/update.asp?first=org&second=old&password=pw")->body, "expired\r\n");
    EXPECT_EQ(client.Get("/premium/ipcheck.asp")->body, "ip198.51.100.4\r\n");
    fakes::WriteFile(router, "198.51.100.99\r\n");
    EXPECT_EQ(client.Get("/premium/update.asp?first=com&second=example&password=secret1")->body, "ip198.51.100.99\r\n");
    EXPECT_EQ(::pclose(process.release()), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

} // namespace
} // namespace zelto::emulator
