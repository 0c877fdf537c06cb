// The emulator's pages, asked through an HTTP client of its own so that they are checked independently of
// the client under test.

#include "ServiceEmulator.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace zelto::emulator {
namespace {

class EmulatorPagesTest : public ::testing::Test {
protected:
    EmulatorPagesTest() {
        service.AddAccount({"example", "com", "secret1", false});
        service.AddAccount({"other", "net", "p&s #%+", false});
        service.AddAccount({"old", "org", "secret3", true});
        client.set_url_encode(false); // targets go out exactly as written here
    }

    httplib::Result Get(const std::string& target) { return client.Get(target.c_str()); }

    std::string Body(const std::string& target) {
        auto result = Get(target);
        EXPECT_TRUE(result) << target;
        return result ? result->body : std::string{};
    }

    ServiceEmulator service{Options{0, std::chrono::seconds(30), {}, false}};
    httplib::Client client{"127.0.0.1", service.Port()};
};

TEST_F(EmulatorPagesTest, UpdateAnswersByAccount) {
    struct Case {
        const char* query;
        const char* body;
    };
    const Case cases[] = {
        {"first=com&second=example&password=secret1&ip_address=203.0.113.7", "ip203.0.113.7\r\n"},
        {"first=com&second=example&password=secret1", "ip127.0.0.1\r\n"},
        {"first=com&second=example&password=secret1&ip_address=", "ip127.0.0.1\r\n"},
        {"first=com&second=example&password=Secret1", "wrongpassword\r\n"},
        {"first=com&second=example", "wrongpassword\r\n"},
        {"first=com&second=nobody&password=secret1", "nodomain\r\n"},
        {"first=org&second=old&password=secret3", "expired\r\n"},
        {"first=org&second=old&password=wrong", "wrongpassword\r\n"},
        // Values arrive percent-encoded; "+" is a space as in form-encoded queries.
        {"first=net&second=other&password=p%26s%20%23%25%2B", "ip127.0.0.1\r\n"},
        {"first=net&second=other&password=p%26s+%23%25%2B", "ip127.0.0.1\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Body(std::string("/premium/update.asp?") + c.query), c.body) << c.query;
}

TEST_F(EmulatorPagesTest, KeepsTheRegisteredAddressPerHost) {
    EXPECT_EQ(service.RegisteredAddress("example.com"), "");
    Body("/premium/update.asp?first=com&second=example&password=secret1&ip_address=203.0.113.7");
    Body("/premium/update.asp?first=net&second=other&password=p%26s%20%23%25%2B");
    Body("/premium/update.asp?first=com&second=example&password=bad&ip_address=198.51.100.1");
    EXPECT_EQ(service.RegisteredAddress("example.com"), "203.0.113.7");
    EXPECT_EQ(service.RegisteredAddress("other.net"), "127.0.0.1");
    EXPECT_EQ(service.RegisteredAddress("old.org"), "");
}

TEST_F(EmulatorPagesTest, InitializeSucceedsOnlyForAKnownDomainWithItsPassword) {
    EXPECT_EQ(Body("/premium/initialize.asp?first=com&second=example&password=secret1"), "success\r\n");
    EXPECT_EQ(Body("/premium/initialize.asp?first=com&second=example&password=bad"), "failed\r\n");
    EXPECT_EQ(Body("/premium/initialize.asp?first=com&second=nobody&password=secret1"), "failed\r\n");
}

TEST_F(EmulatorPagesTest, IpCheckReportsThePeerOrTheConfiguredAddress) {
    EXPECT_EQ(Body("/premium/ipcheck.asp"), "ip127.0.0.1\r\n");
    service.SetIpCheckAddress("192.0.2.55");
    EXPECT_EQ(Body("/premium/ipcheck.asp"), "ip192.0.2.55\r\n");
}

TEST_F(EmulatorPagesTest, WebSitePagesAreHtml) {
    for (const char* page : {"/", "/register.htm", "/premium/manage_dns.asp"}) {
        auto result = Get(page);
        ASSERT_TRUE(result) << page;
        EXPECT_EQ(result->status, 200) << page;
        EXPECT_EQ(result->get_header_value("Content-Type"), "text/html") << page;
        EXPECT_TRUE(result->body.starts_with("<!DOCTYPE html>")) << page;
    }
    auto missing = Get("/nothing.htm");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST_F(EmulatorPagesTest, FaultsApplyToEveryPage) {
    Fault fault;
    fault.kind = Fault::Kind::Response;
    fault.status = 301;
    fault.body = "moved\r\n";
    fault.location = "http://127.0.0.1:1/elsewhere";
    service.SetFault(fault);
    for (const char* page : {"/", "/premium/update.asp?first=com&second=example&password=secret1"}) {
        auto result = Get(page);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 301);
        EXPECT_EQ(result->get_header_value("Location"), "http://127.0.0.1:1/elsewhere");
        EXPECT_EQ(result->body, "moved\r\n");
    }
    EXPECT_EQ(service.RegisteredAddress("example.com"), "") << "a fault answers instead of the service";

    fault = Fault{};
    fault.kind = Fault::Kind::LongLine;
    fault.longLineBytes = 200000;
    service.SetFault(fault);
    auto result = Get("/premium/update.asp");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->body.size(), 200000u);
    EXPECT_EQ(result->body.find('\n'), std::string::npos);

    service.SetFault(Fault{});
    EXPECT_EQ(Body("/premium/ipcheck.asp"), "ip127.0.0.1\r\n");
}

TEST_F(EmulatorPagesTest, LogMasksThePassword) {
    ServiceEmulator logging(Options{0, std::chrono::seconds(30), {}, true});
    logging.AddAccount({"example", "com", "secret1", false});
    httplib::Client logged("127.0.0.1", logging.Port());
    ::testing::internal::CaptureStderr();
    auto result = logged.Get("/premium/update.asp?first=com&second=example&password=secret1&ip_address=192.0.2.1");
    std::string log = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(result);
    EXPECT_NE(log.find("GET /premium/update.asp?first=com&second=example&password=***&ip_address=192.0.2.1"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("ip192.0.2.1"), std::string::npos) << log;
    EXPECT_EQ(log.find("secret1"), std::string::npos) << log;
}

} // namespace
} // namespace zelto::emulator
