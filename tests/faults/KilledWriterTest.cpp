// Settings writers in processes of their own, ended at a random moment or racing each other, on every
// platform: the POSIX build kills them with SIGKILL, the Windows one with TerminateProcess.

#include "fakes/ChildProcess.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace zelto::faults {
namespace {

using namespace std::chrono_literals;

#if defined(_WIN32)
constexpr int kScale = 1; // a process start under Wine takes a good part of a second
#else
constexpr int kScale = 10;
#endif

// The writers are processes of settings-writer (SettingsWriter.cpp).
using Writer = fakes::ChildProcess;
constexpr const char* kWriter = ZELTO_SETTINGS_WRITER;

// A moment of a few milliseconds, different each round.
void RandomMoment(std::mt19937& random) {
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
}

std::string Label(int copy, int i) {
    std::string label = "c";
    return label.append(std::to_string(copy)).append("n").append(std::to_string(i));
}

// A writer of ever higher values, killed at a random moment after its first acknowledged write, round after
// round: the file is always whole (the section, then whole "key=number" lines of known keys), and every write
// that returned true is still there (or overtaken by a later one of the same key).
TEST(KilledWriterTest, NoCorruptFileAndNoAcknowledgedWriteLost) {
    const std::regex whole(R"(\[Zelto Systems Premium\]\r?\n((counter|slot[0-7])=[0-9]+\r?\n)*)");
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    std::mt19937 random(3);
    std::map<std::string, int> acked;
    for (int round = 0; round < 15 * kScale && !HasFailure(); ++round) {
        Writer writer({kWriter, "counter", path.string()});
        std::string ack = writer.Line();
        ASSERT_FALSE(ack.empty()) << round << ": the writer got no write done";
        for (RandomMoment(random), writer.Kill(); !ack.empty(); ack = writer.Line()) {
            std::istringstream fields(ack);
            std::string key;
            fields >> key >> acked[key];
        }
        writer.Wait();

        const std::string bytes = fakes::ReadFile(path);
        EXPECT_TRUE(std::regex_match(bytes, whole)) << round << ":\n" << bytes;
        const SettingsFile settings(path);
        for (const auto& [key, value] : acked)
            EXPECT_GE(settings.ReadInt(key, 0), value) << round << ": " << key;
    }
}

// A domain add killed at any moment adds its entry with the new count, or nothing: on a file that only grows,
// no entry is ever left past numofdomains.
TEST(KilledWriterTest, AKilledDomainAddLeavesNoEntryPastTheCount) {
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    fakes::WriteFile(path, "[Zelto Systems Premium]\nnumofdomains=0\n");
    std::mt19937 random(5);
    for (int round = 0; round < 3 * kScale && !HasFailure(); ++round) {
        Writer adder({kWriter, "grower", path.string(), std::to_string(round), "100"});
        char said[2] = {};
        ASSERT_TRUE(adder.Send("\n") && adder.Read(said, 2)) << round << ": no add done";
        RandomMoment(random);
        adder.Kill();
        adder.Wait();
        const SettingsFile settings(path);
        const std::string past = std::to_string(settings.ReadInt("numofdomains", 0) + 1);
        for (const std::string base : {"first_level", "second_level", "password"})
            EXPECT_EQ(settings.ReadText(base + past), "") << round << ": " << base << past;
    }
}

// What a reader holding the file sees while the writers go on: every entry whole and once, and the update
// record one writer's; a description of what was torn, or nothing.
std::string TornView(const SettingsFile& settings) {
    const SettingsFile::Lock lock(settings);
    std::set<std::string> labels;
    for (int n = 1; n <= settings.ReadInt("numofdomains", 0); ++n) {
        const std::string number = std::to_string(n), second = settings.ReadText("second_level" + number);
        const std::string entry =
            second + "/" + settings.ReadText("first_level" + number) + "/" + settings.ReadText("password" + number);
        if (entry != second + "/net/pw" + second || !labels.insert(second).second)
            return "entry " + number + " is " + entry;
    }
    const std::string record = settings.ReadText("updatedip") + "/" + settings.ReadText("updatedhour") + "/" +
                               settings.ReadText("updatedday") + "/" + settings.ReadText("updatedyear");
    return record == "///" || record == "10.0.0.1/1/1/1" || record == "10.0.0.2/2/2/2" ? "" : "record " + record;
}

// A file copied in from elsewhere has no lock file yet. Two writers adding and removing domains and writing
// the update record at that first moment, let go together once both have read the file, still take turns: no
// domain is lost or doubled, and a reader between their writes never sees half of one. Each round starts from
// such a file.
TEST(ConcurrentWriterTest, TwoWritersOnAFileWithoutLockFileLoseNothingAndTearNothing) {
    constexpr int kAdds = 6; // each; every second add removes the one before
    fakes::TempDir dir;
    const std::filesystem::path path = dir.File("ZeltoPre.INI");
    for (int round = 0; round < 5 * kScale && !HasFailure(); ++round) {
        std::filesystem::remove(path.string() + ".lock");
        fakes::WriteFile(path, "[Zelto Systems Premium]\r\nnumofdomains=0\r\n");
        Writer first({kWriter, "adder", path.string(), "1", std::to_string(kAdds)});
        Writer second({kWriter, "adder", path.string(), "2", std::to_string(kAdds)});
        char said = 0;
        ASSERT_TRUE(first.Read(&said, 1) && second.Read(&said, 1)) << "round " << round;
        EXPECT_TRUE(first.Send("\n") && second.Send("\n"));
        const SettingsFile reader(path);
        for (bool going = true; going;) {
            going = first.Read(&said, 1);
            going = second.Read(&said, 1) || going;
            EXPECT_EQ(TornView(reader), "") << "round " << round;
        }
        EXPECT_EQ(first.Wait(), 0);
        EXPECT_EQ(second.Wait(), 0);

        std::multiset<std::string> expected, stored;
        for (int copy = 1; copy <= 2; ++copy)
            for (int i = 2; i <= kAdds; i += 2)
                expected.insert(Label(copy, i));
        const SettingsFile settings(path);
        for (int n = 1; n <= settings.ReadInt("numofdomains", 0); ++n)
            stored.insert(settings.ReadText("second_level" + std::to_string(n)));
        EXPECT_EQ(stored, expected) << "round " << round;
    }
}

} // namespace
} // namespace zelto::faults
