// The service emulator's own answers, asked of the program through an HTTP client independent of the one
// under test. The fault modes are exercised by the client's tests, which fail when a fault does not happen.

#include "fakes/TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdio>
#include <memory>

namespace zelto::emulator {
namespace {

// Behind a router whose public address is read from a file: writing the file changes the address. The
// program announces its port and ends by itself with its lifetime.
TEST(EmulatorTest, PagesAnswerByAccountAndTheProgramEndsWithItsLifetime) {
    const fakes::TempDir dir;
    const std::filesystem::path router = dir.File("router");
    fakes::WriteFile(router, "198.51.100.4\n");
    const std::string command = std::string(ZELTO_EMULATOR_EXE) +
                                " --lifetime 3 --account example.com:secret1 --account 'other.net:p&s #%+'" +
                                " --account old.org:secret3:expired --public-address @" + router.string();
    std::unique_ptr<FILE, int (*)(FILE*)> process(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_TRUE(process);
    int port = 0;
    ASSERT_EQ(std::fscanf(process.get(), "port %d", &port), 1);
    httplib::Client client("127.0.0.1", port);
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
        {"/premium/update.asp?first=net&second=other&password=p%26s+%23%25%2B&ip_address=", "ip198.51.100.4\r\n"},
        {"/premium/initialize.asp?first=com&second=example&password=secret1", "success\r\n"},
        {"/premium/initialize.asp?first=org&second=old&password=secret3", "failed\r\n"},
        {"/premium/ipcheck.asp", "ip198.51.100.4\r\n"},
        {"/register.htm", "<!DOCTYPE html>"},
    };
    for (const auto& c : cases) {
        const auto result = client.Get(c.target);
        ASSERT_TRUE(result) << c.target;
        EXPECT_EQ(result->status, 200) << c.target;
        EXPECT_TRUE(result->body.starts_with(c.body) && (c.body[0] == '<' || result->body == c.body))
            << c.target << ": " << result->body;
    }
    fakes::WriteFile(router, "198.51.100.99\r\n");
    EXPECT_EQ(client.Get("/premium/update.asp?first=com&second=example&password=secret1")->body, "ip198.51.100.99\r\n");
    EXPECT_EQ(::pclose(process.release()), 0);
}

} // namespace
} // namespace zelto::emulator
