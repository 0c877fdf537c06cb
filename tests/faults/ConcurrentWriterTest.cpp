#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "config/DomainList.h"
#include "fakes/TempDir.h"
#include "update/UpdateRecord.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <set>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace zelto::faults {
namespace {

namespace fs = std::filesystem;

constexpr int kAdds = 200;                                   // per copy
constexpr int kRemoveEvery = 2;                              // every second add also removes the entry added before it
constexpr std::time_t kClockOf[] = {1609477200, 1910876400}; // 2021-01-01 05:00 and 2030-07-21 17:00 UTC

std::string Label(int copy, int i) {
    return "c" + std::to_string(copy) + "n" + std::to_string(i);
}

// Under the lock, every entry must be whole (its three keys from one add), no entry may show twice, and the
// update record must come from one registration of one copy.
std::string TornView(const SettingsFile& settings, const std::set<std::string>& records) {
    const SettingsFile::Lock lock(settings);
    const int count = settings.ReadInt("numofdomains", 0);
    std::set<std::string> labels;
    for (int n = 1; n <= count; ++n) {
        const std::string second = settings.ReadText(IndexedKey("second_level", n));
        const std::string first = settings.ReadText(IndexedKey("first_level", n));
        const std::string password = settings.ReadText(IndexedKey("password", n));
        const bool whole = n == 1 ? second == "example" && first == "com" && password == "secret12"
                                  : first == "net" && password == "pw" + second;
        if (!whole)
            return "entry " + std::to_string(n) + " is " + second + "/" + first + "/" + password;
        if (!labels.insert(second).second)
            return second + " shows twice";
    }
    const std::string record = settings.ReadText("updatedhour") + "/" + settings.ReadText("updatedday") + "/" +
                               settings.ReadText("updatedyear");
    if (!records.contains(record))
        return "update record " + record + " is no registration's";
    return "";
}

// One copy of the client: its update thread registering on every pass, its dialog thread adding and removing
// domains under the lock and writing a key of its own without it, and a reader checking what it sees.
std::string RunCopy(const fs::path& path, int copy, int goFd, const std::set<std::string>& records) {
    char go = 0;
    if (::read(goFd, &go, 1) != 1)
        return "no start signal";
    EngineRig rig(path, {1000ms, 1000ms}, {1ms, 1ms}, kClockOf[copy - 1], 0);
    rig.runner.Start();

    std::atomic<bool> done{false};
    std::string torn;
    long views = 0;
    std::thread reader([&] {
        while (!done && torn.empty()) {
            torn = TornView(rig.settings, records);
            ++views;
            // The view holds the file alone; a pause lets the writers in.
            std::this_thread::sleep_for(1ms);
        }
    });
    std::string problem;
    for (int i = 1; i <= kAdds && problem.empty(); ++i) {
        const std::string label = Label(copy, i);
        if (!OnAddDomain(rig.settings, {label, "net", "pw" + label}).carriedOut)
            problem = "add of " + label + " refused";
        if (i % kRemoveEvery == 0 &&
            !OnRemoveDomain(rig.settings, {Label(copy, i - 1), "net", "pw" + Label(copy, i - 1)}).carriedOut)
            problem = "removal of " + Label(copy, i - 1) + " refused";
        if (!rig.settings.WriteInt("beat" + std::to_string(copy), i))
            problem = "beat " + std::to_string(i) + " not written";
    }
    // The reader goes on until the update thread has recorded a few registrations of its own.
    if (!WaitUntil([&] { return rig.notices.Now().registered >= 3; }, 10s))
        problem += " the update thread hardly registered";
    done = true;
    reader.join();
    rig.runner.Stop();
    const CountingNotices::Counts counts = rig.notices.Now();
    if (!problem.empty() || !torn.empty())
        return problem + (torn.empty() ? "" : " torn read: " + torn);
    std::cout << "[faults] copy " << copy << ": " << kAdds << " adds, " << kAdds / kRemoveEvery << " removals, "
              << counts.registered << " registrations, " << views << " locked views checked" << std::endl;
    return "";
}

std::set<std::string> Records() {
    std::set<std::string> records{"//"};
    for (std::time_t when : kClockOf) {
        const LocalStamp stamp = FormatLocalStamp(when);
        records.insert(stamp.hour + "/" + stamp.day + "/" + stamp.year);
    }
    return records;
}

class ConcurrentWriterTest : public ::testing::Test {
protected:
    ConcurrentWriterTest() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }

    static emulator::Options ShortLived() {
        emulator::Options options;
        options.lifetime = 60s;
        return options;
    }

    fakes::TempDir dir;
    fs::path path = dir.File("ZeltoPre.INI");
};

TEST_F(ConcurrentWriterTest, TwoCopiesWithBothThreadsLoseNoWriteAndTearNoRead) {
    int go[2];
    ASSERT_EQ(::pipe2(go, O_CLOEXEC), 0);
    const std::set<std::string> records = Records();
    // The copies are forked before the emulator starts its threads.
    Child first([&] { return RunCopy(path, 1, go[0], records); });
    Child second([&] { return RunCopy(path, 2, go[0], records); });
    ::close(go[0]);

    emulator::ServiceEmulator service(ShortLived());
    service.AddAccount({"example", "com", "secret12", false});
    {
        SettingsFile settings(path);
        ConfigureOneDomain(settings, service.HostPort());
    }
    EXPECT_EQ(::write(go[1], "gg", 2), 2);
    ::close(go[1]);
    EXPECT_EQ(first.Finish(60s), "");
    EXPECT_EQ(second.Finish(60s), "");

    const SettingsFile settings(path);
    std::multiset<std::string> expected{"example"};
    for (int copy = 1; copy <= 2; ++copy) {
        for (int i = 1; i <= kAdds; ++i) {
            if (i % kRemoveEvery != kRemoveEvery - 1)
                expected.insert(Label(copy, i));
        }
        EXPECT_EQ(settings.ReadInt("beat" + std::to_string(copy), 0), kAdds);
    }
    std::multiset<std::string> stored;
    const int count = settings.ReadInt("numofdomains", 0);
    for (int n = 1; n <= count; ++n)
        stored.insert(settings.ReadText(IndexedKey("second_level", n)));
    EXPECT_EQ(stored, expected) << "a domain was lost or doubled";
}

// The same from the outside: two copies of the executable adding domains at once, while a third runs
// headless against the service. Each add that said it was done is in the file.
TEST_F(ConcurrentWriterTest, TwoExecutablesAddingWhileAThirdRunsHeadlessLoseNoDomain) {
    constexpr int kEach = 12;
    emulator::ServiceEmulator service(ShortLived());
    service.AddAccount({"example", "com", "secret12", false});
    {
        SettingsFile settings(path);
        ConfigureOneDomain(settings, service.HostPort());
    }
    Client headless({"--settings", path.string(), "--headless"});
    std::atomic<int> refused{0};
    auto adder = [&](int copy) {
        for (int i = 1; i <= kEach; ++i) {
            const std::string label = Label(copy, i);
            if (RunClient({"--settings", path.string(), "domain", "add", label, "net", "pw" + label}) != 0)
                ++refused;
        }
    };
    std::thread first(adder, 1);
    std::thread second(adder, 2);
    first.join();
    second.join();
    headless.Signal(SIGTERM);
    EXPECT_EQ(headless.Wait(2s), 0);

    EXPECT_EQ(refused, 0);
    const SettingsFile settings(path);
    std::set<std::string> stored;
    const int count = settings.ReadInt("numofdomains", 0);
    for (int n = 1; n <= count; ++n)
        stored.insert(settings.ReadText(IndexedKey("second_level", n)));
    EXPECT_EQ(count, 1 + 2 * kEach);
    EXPECT_EQ(stored.size(), static_cast<std::size_t>(1 + 2 * kEach));
    EXPECT_EQ(service.RegisteredAddress("example.com"), "127.0.0.1");
}

} // namespace
} // namespace zelto::faults
