#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <random>

namespace zelto::faults {
namespace {

using emulator::Fault;

// A leaked session, buffer or connection per pass shows well above this after a hundred passes.
constexpr long kMaxGrowthKiB = 256;
// A client that buffered the 10 MB line would raise its peak by at least that.
constexpr long kMaxPeakRiseKiB = 8 * 1024;
// AddressSanitizer's quarantine makes resident memory grow by design; its leak check stands in for the bound.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCheckMemory = false;
#else
constexpr bool kCheckMemory = true;
#endif

enum class Server { Refusing, Raw, Reset, Emulator, RedirectLoop };

struct ServerFault {
    const char* name;
    Server server;
    int passes;    // failing passes to watch, one exchange each
    bool answered; // a body came back (to be ignored), as opposed to no answer
    Fault fault{}; // for the emulator; `body` is what a raw server sends
};

std::string Bytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() % 256);
    std::replace(bytes.begin(), bytes.end(), '\n', '\r'); // one line that never ends
    bytes[0] = '\x01';                                    // neither a status line nor an answer beginning with "ip"
    return bytes;
}

// `delay` and `longLineBytes` matter only to their own kinds.
Fault Make(Fault::Kind kind, int status = 200, std::string body = "") {
    Fault fault;
    fault.kind = kind;
    fault.status = status;
    fault.body = std::move(body);
    fault.delay = 5s;
    fault.longLineBytes = 10 * 1024 * 1024;
    return fault;
}

const ServerFault kFaults[] = {
    {"Refused", Server::Refusing, 150, false},
    {"ResetMidAnswer", Server::Reset, 150, false,
     Make(Fault::Kind::None, 200, "HTTP/1.1 200 OK\r\nContent-Length: 64\r\n\r\nip12")},
    {"GarbageInsteadOfHttp", Server::Raw, 150, false, Make(Fault::Kind::None, 200, Bytes(8192, 7))},
    {"BinaryBody", Server::Emulator, 150, true, Make(Fault::Kind::Response, 200, Bytes(4096, 9))},
    {"StallPastTheTimeout", Server::Emulator, 3, false, Make(Fault::Kind::Delay)},
    {"CloseWithoutAnswer", Server::Emulator, 150, false, Make(Fault::Kind::CloseWithoutAnswer)},
    {"TenMegabytesWithoutLineFeed", Server::Emulator, 40, false, Make(Fault::Kind::LongLine)},
    {"Status500", Server::Emulator, 150, true, Make(Fault::Kind::Response, 500, "Internal Server Error\n")},
    {"Status404", Server::Emulator, 150, true, Make(Fault::Kind::Response, 404, "<html>Not Found</html>\n")},
    {"RedirectLoop", Server::RedirectLoop, 150, false, Make(Fault::Kind::Response, 302)},
};

class ServerFaultTest : public ::testing::TestWithParam<ServerFault> {
protected:
    // Where the failing server is; the redirect loop points the emulator back at itself.
    std::string FaultyServer(const ServerFault& c) {
        Fault fault = c.fault;
        switch (c.server) {
        case Server::Refusing: // a port where nothing listens any more
            ::close(Listen(port));
            return "127.0.0.1:" + std::to_string(port);
        case Server::Raw:
        case Server::Reset:
            raw.emplace(fault.body, c.server == Server::Reset);
            return raw->HostPort();
        case Server::RedirectLoop:
            fault.location = "http://" + faulty.HostPort() + "/premium/update.asp";
            break;
        case Server::Emulator:
            break;
        }
        faulty.SetFault(fault);
        return faulty.HostPort();
    }

    fakes::TempDir dir;
    emulator::ServiceEmulator healthy, faulty;
    std::optional<RawServer> raw;
    int port = 0;
};

TEST_P(ServerFaultTest, ThreadSurvivesRecordsNothingStaysBoundedAndRetries) {
    const ServerFault& c = GetParam();
    healthy.AddAccount({"example", "com", "secret12", false});
    faulty.AddAccount({"example", "com", "secret12", false});
    EngineRig rig(dir.File("ZeltoPre.INI"));
    ConfigureOneDomain(rig.settings, FaultyServer(c));
    const long peakBefore = StatusKiB("VmHWM");
    rig.runner.Start();

    ASSERT_TRUE(WaitUntil([&] { return rig.notices.Now().exchanges >= std::min(c.passes, 10); }, 20s));
    const long warm = StatusKiB("VmRSS");
    ASSERT_TRUE(WaitUntil([&] { return rig.notices.Now().exchanges >= c.passes; }, 30s));
    const long end = StatusKiB("VmRSS");
    const CountingNotices::Counts during = rig.notices.Now();

    EXPECT_EQ(rig.settings.ReadText("updatedip"), "") << "a failed exchange recorded an address";
    EXPECT_EQ(during.registered + during.recordFailed + during.messages + during.tooltips, 0);
    EXPECT_EQ(during.noAnswer, c.answered ? 0 : during.exchanges);
    if (kCheckMemory) {
        EXPECT_LT(end - warm, kMaxGrowthKiB) << "RSS grew from " << warm << " KiB to " << end << " KiB";
        EXPECT_LT(StatusKiB("VmHWM") - peakBefore, kMaxPeakRiseKiB);
    }

    // The service comes back: the very next pass registers.
    rig.settings.WriteText("updateserver", healthy.HostPort());
    EXPECT_TRUE(WaitUntil([&] { return rig.notices.Now().registered >= 1; }, 5s));
    EXPECT_EQ(rig.settings.ReadText("updatedip"), "127.0.0.1");
    rig.runner.Stop();
    std::cout << "[faults] " << c.name << ": " << during.exchanges << " failing exchanges survived, RSS " << warm
              << " -> " << end << " KiB, peak +" << StatusKiB("VmHWM") - peakBefore << " KiB\n";
}

INSTANTIATE_TEST_SUITE_P(Server, ServerFaultTest, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto::faults
