#include "FaultSupport.h"
#include "ServiceEmulator.h"
#include "config/DomainList.h"
#include "fakes/TempDir.h"
#include "schema/UpdateRecord.h"

#include <gtest/gtest.h>

#include <array>
#include <iostream>
#include <random>
#include <regex>
#include <set>

namespace zelto::faults {
namespace {

constexpr int kSlots = 8; // keys "slot0" to "slot7"; key kSlots is "counter"

std::string Key(int key) {
    return key == kSlots ? "counter" : IndexedKey("slot", key);
}

// The file as the writer leaves it: the section, then whole "key=number" lines of known keys.
const std::regex kWholeFile(R"(\[Zelto Systems Premium\]\n((counter|slot[0-7])=[0-9]+\n)*)");

// Reads one acknowledgement {key, value}; false at the pipe's end or when none came within `timeout`.
bool ReadAck(int fd, std::array<int, 2>& ack, std::chrono::milliseconds timeout) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(timeout.count())) > 0 &&
           ::read(fd, ack.data(), sizeof ack) == static_cast<ssize_t>(sizeof ack);
}

// A writer of ever higher values, killed at a random moment after its first acknowledged write, round after
// round: the file is always whole (empty only before any write was acknowledged), and every write that
// returned true is still there (or overtaken by a later one of the same key). Bound by rounds and time, not
// by how many writes the disk allows.
TEST(KilledWriterTest, NoCorruptFileAndNoAcknowledgedWriteLost) {
    constexpr int kRounds = 300, kMinRounds = 20;
    const auto deadline = std::chrono::steady_clock::now() + 40s;
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    std::mt19937 random(3);
    std::array<int, kSlots + 1> acked{};
    long acknowledged = 0;
    int round = 0;
    for (; round < kRounds && !HasFailure() && (round < kMinRounds || std::chrono::steady_clock::now() < deadline);
         ++round) {
        int acks[2];
        ASSERT_EQ(::pipe2(acks, O_CLOEXEC), 0);
        {
            const Process writer([&]() -> int {
                SettingsFile settings(path);
                for (int value = settings.ReadInt("counter", 0) + 1;; ++value) {
                    for (const int key : {kSlots, value % kSlots}) {
                        const std::array<int, 2> ack{key, value};
                        if (settings.WriteInt(Key(key), value))
                            (void)!::write(acks[1], ack.data(), sizeof ack);
                    }
                }
            });
            std::array<int, 2> first{};
            ASSERT_TRUE(ReadAck(acks[0], first, 30s)) << round << ": the writer got no write done in 30 s";
            acked[static_cast<std::size_t>(first[0])] = first[1];
            ++acknowledged;
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        } // SIGKILL
        ::close(acks[1]);
        for (std::array<int, 2> ack; ReadAck(acks[0], ack, 0ms); ++acknowledged)
            acked[static_cast<std::size_t>(ack[0])] = ack[1];
        ::close(acks[0]);

        const std::string bytes = fakes::ReadFile(path);
        EXPECT_TRUE(std::regex_match(bytes, kWholeFile)) << round << ":\n" << bytes;
        const SettingsFile settings(path);
        for (int key = 0; key <= kSlots; ++key)
            EXPECT_GE(settings.ReadInt(Key(key), 0), acked[static_cast<std::size_t>(key)]) << round << ": " << Key(key);
    }
    std::cout << round << " writers killed after " << acknowledged << " acknowledged writes\n";
}

// A domain add killed at any moment adds its entry with the new count, or nothing: on a file that only grows,
// no entry is ever left past numofdomains.
TEST(KilledWriterTest, AKilledDomainAddLeavesNoEntryPastTheCount) {
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    std::mt19937 random(5);
    for (int round = 0; round < 30 && !HasFailure(); ++round) {
        int acks[2];
        ASSERT_EQ(::pipe2(acks, O_CLOEXEC), 0);
        {
            const Process adder([&] {
                SettingsFile settings(path);
                for (int i = 0; i < 100; ++i)
                    if (AddDomain(settings, {std::string("d").append(std::to_string(i)), "com", "secret12"}).carriedOut)
                        (void)!::write(acks[1], "a", 1);
                return 0;
            });
            pollfd first{acks[0], POLLIN, 0};
            ASSERT_EQ(::poll(&first, 1, 30000), 1) << round << ": no add done in 30 s";
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        } // SIGKILL
        ::close(acks[0]);
        ::close(acks[1]);
        const SettingsFile settings(path);
        const int past = settings.ReadInt("numofdomains", 0) + 1;
        for (const char* base : {"first_level", "second_level", "password"})
            EXPECT_EQ(settings.ReadText(IndexedKey(base, past)), "") << round << ": " << IndexedKey(base, past);
    }
}

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
    if (!WaitUntil([&] { return rig.notices.Now().registered >= 3; }, 30s))
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

// A file copied in from elsewhere has no lock file yet. Two copies adding domains at that first moment, let go
// together once both have read the file, still take turns: neither overwrites the other's entry. Each round
// starts from such a file.
TEST(ConcurrentWriterTest, TwoCopiesAddingToAFileWithoutLockFileLoseNoDomain) {
    constexpr int kRounds = 200, kEach = 3;
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    for (int round = 0; round < kRounds && !HasFailure(); ++round) {
        std::filesystem::remove(path.string() + ".lock");
        fakes::WriteFile(path, "[Zelto Systems Premium]\r\nnumofdomains=0\r\n");
        int ready[2], go[2];
        ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
        ASSERT_EQ(::pipe2(go, O_CLOEXEC), 0);
        const auto copy = [&](int n) {
            return [&, n] {
                SettingsFile settings(path);
                char byte = 0;
                if (settings.ReadInt("numofdomains", -1) != 0 || ::write(ready[1], "r", 1) != 1 ||
                    ::read(go[0], &byte, 1) != 1)
                    return 2;
                for (int i = 1; i <= kEach; ++i) {
                    if (!AddDomain(settings, {Label(n, i), "net", "pw" + Label(n, i)}).carriedOut)
                        return 1;
                }
                return 0;
            };
        };
        Process first(copy(1));
        Process second(copy(2));
        ::close(ready[1]);
        char byte = 0;
        for (int waiting = 2; waiting > 0 && ::read(ready[0], &byte, 1) == 1;)
            --waiting;
        EXPECT_EQ(::write(go[1], "gg", 2), 2);
        EXPECT_EQ(first.Wait(30s), 0);
        EXPECT_EQ(second.Wait(30s), 0);
        for (const int fd : {ready[0], go[0], go[1]})
            ::close(fd);

        std::set<std::string> expected, stored;
        for (int n = 1; n <= 2; ++n) {
            for (int i = 1; i <= kEach; ++i)
                expected.insert(Label(n, i) + "/net/pw" + Label(n, i));
        }
        const SettingsFile settings(path);
        const int count = settings.ReadInt("numofdomains", 0);
        for (int n = 1; n <= count; ++n) {
            stored.insert(settings.ReadText(IndexedKey("second_level", n)) + "/" +
                          settings.ReadText(IndexedKey("first_level", n)) + "/" +
                          settings.ReadText(IndexedKey("password", n)));
        }
        EXPECT_EQ(count, 2 * kEach) << "round " << round;
        EXPECT_EQ(stored, expected) << "round " << round << ": a domain was lost";
    }
}

} // namespace
} // namespace zelto::faults
