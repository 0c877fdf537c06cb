#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "config/DomainList.h"
#include "fakes/TempDir.h"
#include "schema/UpdateRecord.h"

#include <gtest/gtest.h>

#include <iostream>
#include <set>

namespace zelto::faults {
namespace {

constexpr int kAdds = 200;                                   // per copy; every second add removes the one before
constexpr std::time_t kClockOf[] = {1609477200, 1910876400}; // 2021-01-01 05:00 and 2030-07-21 17:00 UTC

std::string Label(int copy, int i) {
    // Appended: a text put in front of a string makes g++ 12 at -O3 warn of an impossible overlap.
    std::string label = "c";
    label += std::to_string(copy);
    label += 'n';
    label += std::to_string(i);
    return label;
}

std::string Record(const SettingsFile& settings) {
    return settings.ReadText("updatedhour") + "/" + settings.ReadText("updatedday") + "/" +
           settings.ReadText("updatedyear");
}

// Under the lock every entry is whole (three keys from one add) and shows once, and the update record comes
// from one registration of one copy.
std::string TornView(const SettingsFile& settings, const std::set<std::string>& records) {
    const SettingsFile::Lock lock(settings);
    std::set<std::string> labels;
    for (int n = 1; n <= settings.ReadInt("numofdomains", 0); ++n) {
        const std::string second = settings.ReadText(IndexedKey("second_level", n));
        const std::string entry = second + "/" + settings.ReadText(IndexedKey("first_level", n)) + "/" +
                                  settings.ReadText(IndexedKey("password", n));
        if (entry != (n == 1 ? "example/com/secret12" : second + "/net/pw" + second) || !labels.insert(second).second)
            return "entry " + std::to_string(n) + " is " + entry;
    }
    return records.contains(Record(settings)) ? "" : "update record " + Record(settings) + " is no registration's";
}

// One copy of the client, started by a byte on `go`: its update thread registering on every pass, its dialog
// thread adding and removing domains under the lock and writing a key of its own without it, and a reader
// checking what it sees. Exits 0 when all went well.
int RunCopy(const std::filesystem::path& path, int copy, int go, const std::set<std::string>& records) {
    char byte = 0;
    if (::read(go, &byte, 1) != 1)
        return 2;
    EngineRig rig(path, {1000ms, 1000ms}, {1ms, 1ms}, kClockOf[copy - 1], 0);
    rig.runner.Start();
    std::atomic<bool> done{false};
    std::string problem, torn;
    std::thread reader([&] {
        for (; !done && torn.empty(); std::this_thread::sleep_for(1ms)) // the pause lets the writers in
            torn = TornView(rig.settings, records);
    });
    for (int i = 1; i <= kAdds && problem.empty(); ++i) {
        const std::string label = Label(copy, i), previous = Label(copy, i - 1);
        if (!AddDomain(rig.settings, {label, "net", "pw" + label}).carriedOut ||
            (i % 2 == 0 && !RemoveDomain(rig.settings, {previous, "net", "pw" + previous}).carriedOut) ||
            !rig.settings.WriteInt("beat" + std::to_string(copy), i))
            problem = "a write of round " + std::to_string(i) + " refused";
    }
    if (!rig.notices.WaitUntil([](const auto& now) { return now.registered >= 3; }))
        problem += " the update thread hardly registered";
    done = true;
    reader.join();
    rig.runner.Stop();
    std::cerr << problem << torn;
    return problem.empty() && torn.empty() ? 0 : 1;
}

TEST(ConcurrentWriterTest, TwoCopiesWithBothThreadsLoseNoWriteAndTearNoRead) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    std::set<std::string> records{"//"};
    for (const std::time_t when : kClockOf) {
        const LocalStamp stamp = FormatLocalStamp(when);
        records.insert(stamp.hour + "/" + stamp.day + "/" + stamp.year);
    }
    // The copies are forked before the emulator starts its threads, and before this process opens the file:
    // a child must not inherit an open lock file, whose lock it would share. They go once the file names the
    // emulator.
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    Process first([&] { return RunCopy(path, 1, go[0], records); });
    Process second([&] { return RunCopy(path, 2, go[0], records); });
    SettingsFile settings(path);
    ASSERT_TRUE(settings.WriteText("owner", "parent"));
    emulator::ServiceEmulator service;
    service.AddAccount({"example", "com", "secret12", false});
    ConfigureOneDomain(settings, service.HostPort());
    EXPECT_EQ(::write(go[1], "gg", 2), 2);
    EXPECT_EQ(first.Wait(60s), 0);
    EXPECT_EQ(second.Wait(60s), 0);

    std::multiset<std::string> expected{"example"}, stored;
    for (int n = 1; n <= 2; ++n) {
        for (int i = 2; i <= kAdds; i += 2)
            expected.insert(Label(n, i));
        EXPECT_EQ(settings.ReadInt("beat" + std::to_string(n), 0), kAdds);
    }
    for (int n = 1; n <= settings.ReadInt("numofdomains", 0); ++n)
        stored.insert(settings.ReadText(IndexedKey("second_level", n)));
    EXPECT_EQ(stored, expected) << "a domain was lost or doubled";
    EXPECT_EQ(settings.ReadText("owner"), "parent");
}

} // namespace
} // namespace zelto::faults
